#include "runtime/scripts_run.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <unordered_set>

#include "orbitane/sha256.h"

namespace {

struct Noted {
  std::vector<ScriptRun> runs;
  std::unordered_set<std::string> paths;
  bool digests = false;
};

Noted& TheNoted() {
  static Noted* noted = new Noted();  // never destroyed: scripts may run during unload
  return *noted;
}

}  // namespace

void DigestScriptRuns(bool on) { TheNoted().digests = on; }

void NoteScriptRun(const std::string& path, std::optional<std::string_view> text) {
  Noted& noted = TheNoted();
  if (!noted.digests) return;
  char resolved[PATH_MAX];
  std::string absolute = realpath(path.c_str(), resolved) != nullptr ? resolved : path;
  if (!noted.paths.insert(absolute).second) return;
  ScriptRun run{std::move(absolute), std::nullopt};
  struct stat status {};
  if (text) {
    run.sha256 = Sha256Hex(*text);
  } else if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0) {
    run.sha256 = Sha256Hex("");  // an empty file is read as a stream, having nothing to copy
  }
  noted.runs.push_back(std::move(run));
}

const std::vector<ScriptRun>& ScriptsRun() { return TheNoted().runs; }
