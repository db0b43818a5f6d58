// The entry points about the installation itself: opening it before a script runs, and the plan
// of the changes made to one that writes nothing. Both go through the optional entry points of
// orbitane/extensions.h; an implementation without them has nothing to open and makes no plans.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "entry/snapshot.h"
#include "hxo/hxo.h"
#include "orbitane/extensions.h"
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

// Writes text to a temporary file beside path, flushes it and renames it over path.
bool WriteAtomically(const std::string& path, const std::string& text, std::string& problem) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    problem = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) break;
    done += static_cast<size_t>(written);
  }
  const int saved = errno;
  const bool ok = done == text.size() && fsync(fd) == 0 && close(fd) == 0;
  if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
    problem = "cannot write " + path + ": " + std::strerror(ok ? errno : saved);
    if (!ok) close(fd);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

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
                  WriteAtomically(fileName, text, problem);
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
