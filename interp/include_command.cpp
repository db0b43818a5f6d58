// INCLUDE: runs another script file inside this one, with a copy of this script's options.
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kIncludeHelp[] = {
    "SYNTAX: INCLUDE <file>",
    "",
    "Runs the commands of another script file, then goes on with the line",
    "after the INCLUDE. A relative path is taken from the directory of the",
    "hxo_cmdline executable; an absolute path may also be given. The file",
    "name may not contain blanks.",
    "",
    "The included script starts with the settings of this script as they",
    "stand; changes it makes with SET do not pass back. Objects it creates",
    "or changes, and the authentication with the Ilvaris, carry over.",
    "",
    "A script that is already running cannot be included again, so a script",
    "can never include itself, neither directly nor through another script.",
    nullptr,
};

bool HandleInclude(CommandContext& command) {
  const std::string fileName = getToken(2, command.line);
  const int code = command.session.runScriptFile(command.workspace, fileName.c_str(),
                                                 command.options, command.console);
  if (code != ResultCode::kOk) {
    // A failure inside the included script does not stop this one; an end-all request does.
    if (code == ResultCode::kEndAll) command.session.stopRequested = true;
    return false;
  }
  if (command.options.verbose)
    command.Confirm("Script file %s completed successfully.\n", fileName.c_str());
  return true;
}
