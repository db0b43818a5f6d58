// The read-dispatch loop every script session runs over its lines.
#include <cstdlib>
#include <string>

#include "entry/script_session.h"
#include "interp/command_tables.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/bounded_line.h"
#include "runtime/c_number.h"
#include "runtime/console.h"
#include "runtime/process_state.h"

namespace {

// Whether the loop goes on after a turn that left code; clears the code when it does.
bool continueAfter(int& code, const ScriptOptions& options) {
  if (code == ResultCode::kOk) return true;
  if (code == ResultCode::kEndAll) return false;
  bool forgiven = ResultCode::IsTypoClass(code) ? options.continueOnTypo
                                                : options.continueOnError;
  if (forgiven) code = ResultCode::kOk;
  return forgiven;
}

enum class StepAnswer { Run, Skip, Abort };

// Shows the line about to run and asks whether to run it, skip it or abort the script.
StepAnswer askBeforeCommand(const std::string& sessionName, const std::string& line) {
  consolePrint("\n%s: %s", sessionName.c_str(), line.c_str());
  consolePrint("Press 'S' to skip command, 'A' to abort script, or any other to continue.\n");
  std::string answer;
  consoleReadLine(answer);
  if (!answer.empty() && (answer[0] == 'S' || answer[0] == 's')) return StepAnswer::Skip;
  if (!answer.empty() && (answer[0] == 'A' || answer[0] == 'a')) return StepAnswer::Abort;
  return StepAnswer::Run;
}

}  // namespace

void ScriptSession::RunLoop(ScriptOptions options) {
  stopRequested = false;
  if (serverName.empty()) serverName = "KORAS";
  if (userName.empty()) userName = "root";
  if (source == nullptr) return;

  const SessionCommandTable sessionCommands = BuildSessionCommands();
  const ObjectSubcommandTable objectSubcommands = BuildObjectSubcommands();
  const ObjectRegistry& registry = ProcessState::Get().registry;
  resultCode = ResultCode::kOk;
  int lineNumber = 0;

  std::string line;
  std::string command;
  for (bool more = source->hasMore(); more; more = source->hasMore()) {
    if (stopRequested || !continueAfter(resultCode, options)) break;
    ++lineNumber;
    if (interactive && !options.quiet) consolePrint("%s> ", "");
    if (!source->readWholeLine(line) && source->stoppedAtLongLine()) {
      // Nothing after such a line can be read as the script meant it.
      Fail(ResultCode::kMissingParameters, lineNumber,
           "Line longer than %zu bytes; the script ends here.\n", kMaxLineBytes);
      break;
    }

    if (line.empty() || line[0] == '#') continue;
    getToken(command, 1, line);
    if (command.empty()) continue;  // no tokens: a blank line

    if (line[0] == '!') {
      // A history reference runs entry n again (n < 0 counts back from the latest).
      long long n = parseIntLikeAtoi(std::string_view(line).substr(1));
      long long size = static_cast<long long>(history.size());
      if (n == 0 || std::llabs(n) > size) {
        Fail(ResultCode::kUnknownCommand, lineNumber, "Unknown history entry: %s.\n",
             line.c_str() + 1);
        continue;
      }
      line.assign(history[static_cast<size_t>(n > 0 ? n - 1 : size + n)]);
      getToken(command, 1, line);
    }

    if (options.stepping) {
      StepAnswer answer = askBeforeCommand(name, line);
      if (answer == StepAnswer::Skip) continue;
      if (answer == StepAnswer::Abort) break;
    }

    bool remember;
    if (auto found = sessionCommands.find(command); found != sessionCommands.end()) {
      remember = (this->*found->second)(lineNumber, line, options);
    } else {
      size_t separator = command.find(options.objectSeparator);
      if (separator == std::string::npos) {
        Fail(ResultCode::kUnknownCommand, lineNumber, "Unknown command: %s.\n", command.c_str());
        continue;
      }
      if (separator == 0) {
        Fail(ResultCode::kBadObjectName, lineNumber, "Bad object name \"\".\n");
        continue;
      }
      std::string objectName = command.substr(0, separator);
      std::string subcommandName =
          command.substr(separator + std::char_traits<char>::length(options.objectSeparator));
      if (registry.Find(objectName) == nullptr && !isReservedObjectName(objectName.c_str())) {
        Fail(ResultCode::kInvalidObject, lineNumber, "Invalid object \"%s\" specified.\n",
             objectName.c_str());
        continue;
      }
      auto subcommand = objectSubcommands.find(subcommandName);
      if (subcommand == objectSubcommands.end()) {
        Fail(ResultCode::kUnknownSubcommand, lineNumber, "Unknown subcommand: %s.\n",
             subcommandName.c_str());
        continue;
      }
      remember = (this->*subcommand->second)(lineNumber, line, options, objectName);
    }
    if (remember) history.push_back(line);
  }
}
