// The read-dispatch loop every script session runs over its lines.
#include "interp/interpreter_loop.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "interp/command_table.h"
#include "interp/failure_reasons.h"
#include "interp/name_suggestion.h"
#include "model/object_kind.h"
#include "model/workspace.h"
#include "runtime/bounded_line.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/failure_explanation.h"
#include "runtime/failure_record.h"
#include "runtime/interrupt.h"
#include "runtime/prompt_input.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// Whether the loop goes on after a turn that left code; clears the code when it does.
bool ContinueAfter(int& code, const ScriptOptions& options) {
  if (code == ResultCode::kOk) return true;
  if (code == ResultCode::kEndAll) return false;
  if (code == ResultCode::kInterrupted) {
    if (options.terminalSession) code = ResultCode::kOk;
    return options.terminalSession;
  }
  bool forgiven = ResultCode::IsTypoClass(code) ? options.continueOnTypo : options.continueOnError;
  if (forgiven) code = ResultCode::kOk;
  return forgiven;
}

enum class StepAnswer { Run, Skip, Abort };

// Shows the line about to run and asks whether to run it, skip it or abort the script.
StepAnswer AskBeforeCommand(Console& console, const std::string& sessionName,
                            std::string_view line) {
  std::string answer;
  AskForAnswer(console,
               "\n" + sessionName + ": " + std::string(line) +
                   "Press 'S' to skip command, 'A' to abort script, or any other to continue.\n",
               answer);
  if (InterruptRequested()) return StepAnswer::Abort;
  if (!answer.empty() && (answer[0] == 'S' || answer[0] == 's')) return StepAnswer::Skip;
  if (!answer.empty() && (answer[0] == 'A' || answer[0] == 'a')) return StepAnswer::Abort;
  return StepAnswer::Run;
}

// Runs the row's handler after the checks the table asks for; kind is "command" or
// "subcommand" for the missing-parameters message.
bool RunRow(const CommandRow& row, CommandContext& command, const char* kind) {
  if (row.registeredObjectOnly &&
      command.workspace.registry().Find(command.objectName) == nullptr) {
    return command.Fail(ResultCode::kReservedObject,
                        "Subcommand %s may not be used on reserved objects.\n", row.name);
  }
  if (!HasTokens(command.line, row.minimumTokens)) {
    return command.Fail(ResultCode::kMissingParameters, "Insufficient paramaters for %s %s.\n",
                        row.name, kind);
  }
  return row.handler(command);
}

// An object subcommand line: "object" separator "subcommand". Checks the object name and the
// subcommand and runs it; false when the line was refused.
bool RunObjectSubcommand(CommandContext& command, std::string_view word, bool& remember) {
  const std::string_view separatorText = command.options.objectSeparator;
  const size_t separator = word.find(separatorText);
  if (separator == std::string_view::npos) {
    command.Fail(ResultCode::kUnknownCommand, "Unknown command: %.*s.\n",
                 static_cast<int>(word.size()), word.data());
    SuggestName(command, word, NameKind::Command);
    return false;
  }
  if (separator == 0) return command.Fail(ResultCode::kBadObjectName, "Bad object name \"\".\n");
  command.objectName.assign(word.substr(0, separator));
  const std::string_view subcommandName = word.substr(separator + separatorText.size());
  if (command.workspace.registry().Find(command.objectName) == nullptr &&
      !isReservedObjectName(command.objectName.c_str())) {
    command.Fail(ResultCode::kInvalidObject, "Invalid object \"%s\" specified.\n",
                 command.objectName.c_str());
    SuggestName(command, command.objectName, NameKind::Object);
    return false;
  }
  const CommandRow* subcommand = ObjectSubcommandLookup().Find(subcommandName);
  if (subcommand == nullptr) {
    command.Fail(ResultCode::kUnknownSubcommand, "Unknown subcommand: %.*s.\n",
                 static_cast<int>(subcommandName.size()), subcommandName.data());
    SuggestName(command, subcommandName, NameKind::Subcommand);
    return false;
  }
  remember = RunRow(*subcommand, command, "subcommand");
  return true;
}

// After an interrupt: the command it ended fails with the interrupted code, and its message is
// written once however many nested sessions it passes through.
void NoteInterrupt(CommandContext& command) {
  if (TakeUnreportedInterrupt()) {
    command.Fail(ResultCode::kInterrupted, "Interrupted.\n");
  } else {
    command.session.resultCode = ResultCode::kInterrupted;
  }
}

}  // namespace

void RunInterpreterLoop(Workspace& workspace, SessionState& session, LineSource& source,
                        bool interactive, ScriptOptions options) {
  Console& console = *session.console;
  session.stopRequested = false;
  if (session.serverName.empty()) session.serverName = "KORAS";
  if (session.userName.empty()) session.userName = "root";

  const CommandLookup& sessionCommands = SessionCommandLookup();
  SetFailureExplainer(ExplainRefusal);
  session.resultCode = ResultCode::kOk;
  int lineNumber = 0;

  // The line is a view: of the source's text, or of a history entry for a reference. Neither
  // is copied; a line that enters the history is kept where it is (see LineSource::Keep).
  std::string_view line;
  for (bool more = source.hasMore(); more; more = source.hasMore()) {
    if (session.stopRequested || !ContinueAfter(session.resultCode, options)) break;
    // A script that is not at the terminal ends at an interrupt between its commands too.
    if (!options.terminalSession && InterruptRequested()) {
      if (TakeUnreportedInterrupt()) {
        console.Failure(session.name, 0, ResultCode::kInterrupted, "Interrupted.\n");
      }
      session.resultCode = ResultCode::kInterrupted;
      break;
    }
    ++lineNumber;
    if (interactive && !options.quiet) console.Print("%s> ", "");
    if (!source.NextLine(line) && source.StoppedAtLongLine()) {
      // Nothing after such a line can be read as the script meant it.
      CommandContext{workspace, session, options, console, lineNumber, line, {}}.Fail(
          ResultCode::kMissingParameters, "Line longer than %zu bytes; the script ends here.\n",
          kMaxLineBytes);
      break;
    }

    if (line.empty() || line[0] == '#') continue;
    std::string_view word = TokenView(1, line);
    if (word.empty()) continue;  // no tokens: a blank line

    bool fromHistory = false;
    if (line[0] == '!') {
      // A history reference runs entry n again (n < 0 counts back from the latest).
      long long n = ParseIntLikeAtoi(line.substr(1));
      long long size = static_cast<long long>(session.history.size());
      if (n == 0 || std::llabs(n) > size) {
        CommandContext refused{workspace, session, options, console, lineNumber, line, {}};
        refused.Fail(ResultCode::kUnknownCommand, "Unknown history entry: %.*s.\n",
                     static_cast<int>(line.size() - 1), line.data() + 1);
        continue;
      }
      line = session.history[static_cast<size_t>(n > 0 ? n - 1 : size + n)];
      word = TokenView(1, line);
      fromHistory = true;
    }
    CommandContext command{workspace, session, options, console, lineNumber, line, {}};
    const FailureWatch failureWatch(console);
    ForgetRefusal();

    if (options.stepping) {
      StepAnswer answer = AskBeforeCommand(console, session.name, line);
      if (answer == StepAnswer::Skip) continue;
      if (answer == StepAnswer::Abort) break;
    }

    bool remember = false;
    if (const CommandRow* row = sessionCommands.Find(word); row != nullptr) {
      remember = RunRow(*row, command, "command");
    } else if (!RunObjectSubcommand(command, word, remember)) {
      if (InterruptRequested()) NoteInterrupt(command);
      failureWatch.Settle(session, lineNumber, line);
      continue;
    }
    if (InterruptRequested()) {
      NoteInterrupt(command);
      failureWatch.Settle(session, lineNumber, line);
      continue;
    }
    failureWatch.Settle(session, lineNumber, line);
    if (remember) session.history.push_back(fromHistory ? line : source.Keep(line));
  }
  // Whether a failure ended this script: one that CONTINUE would not carry past.
  int code = session.resultCode;
  NoteScriptEnd(source.StoppedAtLongLine() ||
                (!session.stopRequested && code != ResultCode::kOk && code != ResultCode::kEndAll &&
                 !ContinueAfter(code, options)));
}
