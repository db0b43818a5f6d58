// obj.LOG [-f] [-i] [-t n] [backup]: pages through, tails or follows an object's remote log.
#include <algorithm>
#include <chrono>
#include <thread>

#include "entry/script_session.h"
#include "interp/pager.h"
#include "interp/result_codes.h"
#include "props/log_switches.h"
#include "props/log_view.h"
#include "props/object_access.h"
#include "props/object_selection.h"

namespace {

// Lines go through the session's pager; prompts and waits are the console's.
class SessionLogConsole : public LogConsole {
 public:
  SessionLogConsole(ScriptSession& session, const ScriptOptions& options)
      : session(session), options(options) {}

  PagerAnswer PrintLine(int pageLine, std::string_view line) override {
    return pagedPrint(session, options, pageLine, "%.*s", static_cast<int>(line.size()),
                      line.data());
  }
  // Only the end of the log prompts here; with no input left to answer, the display ends.
  PagerAnswer Prompt(const char* prompt) override { return pagerPrompt(prompt, kPagerQuit); }
  void Wait(int seconds) override {
    std::this_thread::sleep_for(std::chrono::seconds(std::max(seconds, 0)));
  }

 private:
  ScriptSession& session;
  const ScriptOptions& options;
};

}  // namespace

bool ScriptSession::HandleObjectLog(int lineNumber, const std::string& line,
                                    ScriptOptions& options, std::string objectName) {
  ConfigObject* object = RegisteredObjectOrRefuse(lineNumber, objectName, "LOG");
  if (object == nullptr) return false;

  const LogSwitchParse parse = ParseLogSwitches(line);
  switch (parse.error) {
    case LogSwitchError::kNone:
      break;
    case LogSwitchError::kInvalidSwitch:
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "Invalid switch used in LOG subcommand.\n");
    case LogSwitchError::kTailWithoutNumber:
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "The -t switch requires a parameter.\n");
    case LogSwitchError::kTailNotPositive:
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "The -t switch requires a number greater than 0 a a parameter.\n");
    case LogSwitchError::kBadBackup:
      return Fail(ResultCode::kMissingParameters, lineNumber, "Invalid backup log number %s.\n",
                  parse.backupToken.c_str());
  }

  bool shown = false;
  if (IsAvailable(*object)) {
    SessionLogConsole console(*this, options);
    LogView view(*object->node, console, parse.switches, options.linesPerPage,
                 options.followDelay);
    shown = view.Show();
  }
  if (!shown) {
    return Fail(ResultCode::kSubcommandFailed, lineNumber,
                "Failed to retrieve log for object \"%s\".\n", objectName.c_str());
  }
  return true;
}
