// The entry points of --undo: asking the installation to keep what it holds before a run, and
// writing the script that takes it back there. Both go through the optional entry points of
// orbitane/extensions.h; an implementation without them cannot undo.
#include <cstdlib>
#include <cstring>
#include <string>

#include "entry/snapshot.h"
#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"

namespace {

// Moves text from the shared heap into a string; empty for null.
std::string Take(char* text) {
  if (text == nullptr) return {};
  std::string copy(text);
  SharedHeapFree(text);
  return copy;
}

}  // namespace

extern "C" {

HXO_API int HXO_PrepareUndo(void) {
  if (OrbitaneKeepLoadedState == nullptr || OrbitaneUndoScript == nullptr) return 0;
  return OrbitaneKeepLoadedState() != 0 ? 1 : 0;
}

HXO_API int HXO_WriteUndo(const char* fileName, const char* heading, char** lost, char** message) {
  if (lost != nullptr) *lost = nullptr;
  if (message != nullptr) *message = nullptr;
  std::string problem;
  char* lostText = nullptr;
  char* body = OrbitaneUndoScript != nullptr ? OrbitaneUndoScript(&lostText) : nullptr;
  const std::string lines = Take(lostText);
  if (body == nullptr) {
    problem = "the installation did not keep what it held before the run";
  } else if (fileName == nullptr) {
    problem = "no file named";
  } else {
    // One copy of a text that may take megabytes.
    std::string text(heading != nullptr ? heading : "");
    text.append(body);
    SharedHeapFree(body);
    body = nullptr;
    if (WriteSnapshotFile(fileName, text, problem)) {
      if (lost != nullptr && !lines.empty()) *lost = strdup(lines.c_str());
      return 0;
    }
  }
  if (body != nullptr) SharedHeapFree(body);
  if (message != nullptr) *message = strdup(problem.c_str());
  return 1;
}

}  // extern "C"
