// The entry point that checks a script without running it (interp/script_check.h).
#include <cstdlib>
#include <cstring>

#include "hxo/hxo.h"
#include "interp/script_check.h"

extern "C" {

HXO_API int HXO_CheckScript(const char* fileName, const char* format, char** report) {
  if (report != nullptr) *report = nullptr;
  const bool json = format != nullptr && std::strcmp(format, "json") == 0;
  if (fileName == nullptr || (format != nullptr && !json && std::strcmp(format, "text") != 0)) {
    return -1;
  }
  ScriptChecker checker;
  checker.CheckFile(fileName);
  if (report != nullptr) *report = strdup(FormatDiagnostics(checker, json).c_str());
  return checker.errors();
}

}  // extern "C"
