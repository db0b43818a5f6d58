// The entry points about the installation itself: opening it before a script runs, the plan of
// the changes made to one that writes nothing, and writing a snapshot. All three go through the
// optional entry points of orbitane/extensions.h; an implementation without them has nothing to
// open, makes no plans and takes no snapshots.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "entry/snapshot.h"
#include "hxo/hxo.h"
#include "orbitane/extensions.h"
#include "orbitane/file_replacement.h"
#include "orbitane/orbitaneapi.h"
#include "runtime/failure_record.h"

namespace {

// A copy of text from the shared heap on the C heap, the text released.
char* TakeText(char* text) {
  if (text == nullptr) return nullptr;
  char* copy = strdup(text);
  SharedHeapFree(text);
  return copy;
}

// Names of descriptors this process has open ("/dev/stdout"): a snapshot goes into them.
bool NamesOpenDescriptor(std::string_view name) {
  return name == "/dev/stdout" || name == "/dev/stderr" || name.starts_with("/dev/fd/") ||
         name.starts_with("/proc/self/fd/");
}

// Writes text into what path names, as a shell's >> would: a device, a FIFO (waiting for its
// reader), or an open descriptor.
bool WriteInto(const std::string& path, std::string_view text, std::string& problem) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
  bool ok = fd >= 0 && WriteWhole(fd, text);
  int error = errno;
  if (fd >= 0 && close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) problem = "cannot write " + path + ": " + std::strerror(error);
  return ok;
}

}  // namespace

// A regular file (or none yet) is replaced whole, through any link to it, keeping its mode,
// owner and group, and only when it may be written; anything else is written into.
bool WriteSnapshotFile(const std::string& path, const std::string& text, std::string& problem) {
  struct stat info {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    problem = path + ": is a folder";
    return false;
  }
  if (NamesOpenDescriptor(path) || (exists && !S_ISREG(info.st_mode))) {
    return WriteInto(path, text, problem);
  }
  const std::string target = ReplacementTarget(path);
  if (!MayReplaceFile(target, problem)) {
    problem = path + ": " + problem;
    return false;
  }
  Replacement replacement;
  replacement.keep = exists ? &info : nullptr;
  struct stat written {};
  return ReplaceFile(target, text, replacement, written, problem);
}

namespace {

// The plan says whether the run it comes from went to its end: a JSON plan gains "complete" and,
// when false, "stopped" (the script, line, command and code that stopped it); a text plan ends
// with one line naming them.
std::string WithCompleteness(const char* plan, bool json) {
  const FailureRecord* stop = FirstStopOfTheRun();
  const bool stopped = stop != nullptr;
  const FailureRecord failure = stopped ? *stop : FailureRecord{};
  const std::string command =
      failure.command.substr(0, failure.command.find_last_not_of("\r\n") + 1);
  std::string text(plan);
  if (json) {
    std::string members = stopped ? "\"complete\": false, " : "\"complete\": true, ";
    if (stopped) {
      const nlohmann::json where = {{"script", failure.script},
                                    {"line", failure.line},
                                    {"command", command},
                                    {"code", failure.code}};
      members +=
          "\"stopped\": " + where.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
          ", ";
    }
    if (const size_t open = text.find('{'); open != std::string::npos) {
      text.insert(open + 1, members);
    }
  } else if (stopped) {
    text += "The script stopped at " + failure.script + ":" + std::to_string(failure.line) +
            " with code " + std::to_string(failure.code) + "; the plan covers what ran before.\n";
  }
  return text;
}

}  // namespace

extern "C" {

HXO_API int HXO_WriteSnapshot(const char* fileName, char** message) {
  if (message != nullptr) *message = nullptr;
  std::string text, problem;
  const bool ok = fileName != nullptr && MakeSnapshot(text, problem) &&
                  WriteSnapshotFile(fileName, text, problem);
  if (ok) return 0;
  if (message != nullptr)
    *message = strdup(fileName == nullptr ? "no file named" : problem.c_str());
  return 1;
}

HXO_API int HXO_OpenInstallation(char** message) {
  if (message != nullptr) *message = nullptr;
  if (OrbitaneOpenInstallation == nullptr) return 0;
  char* text = nullptr;
  const int status = OrbitaneOpenInstallation(&text);
  if (message != nullptr) {
    *message = TakeText(text);
  } else if (text != nullptr) {
    SharedHeapFree(text);
  }
  return status;
}

HXO_API int HXO_CanPlan(void) { return OrbitanePlan != nullptr ? 1 : 0; }

HXO_API int HXO_GetPlan(const char* format, char** plan) {
  if (plan != nullptr) *plan = nullptr;
  if (OrbitanePlan == nullptr || format == nullptr ||
      (std::strcmp(format, "text") != 0 && std::strcmp(format, "json") != 0)) {
    return 1;
  }
  char* text = TakeText(OrbitanePlan(format));
  if (text == nullptr) return 1;
  if (plan != nullptr) {
    *plan = strdup(WithCompleteness(text, std::strcmp(format, "json") == 0).c_str());
  }
  std::free(text);
  return 0;
}

}  // extern "C"
