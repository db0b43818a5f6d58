// ABORT and QUIT (EXIT, BYE): ending this script, or every script.
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for these commands.
extern const char* const kAbortHelp[] = {
    "SYNTAX: ABORT [ALL]",
    "",
    "Ends the current script without committing its settings; changes made",
    "with obj.ADD and obj.DEL stay in effect. A script that included this",
    "one goes on with its next line.",
    "",
    "ABORT ALL ends every running script and the program. Both forms report",
    "an error, even when VERBOSE is OFF.",
    nullptr,
};

extern const char* const kQuitHelp[] = {
    "SYNTAX: QUIT",
    "",
    "Ends every running script and the program, as ABORT ALL does, but says",
    "good-bye (when VERBOSE is ON) instead of reporting an error. EXIT and",
    "BYE do the same. Settings that were not committed are lost.",
    nullptr,
};

bool HandleAbort(CommandContext& command) {
  command.session.stopRequested = true;
  command.Report("ABORT command received, no changes committed.\n");
  if (EqualsIgnoringCase(getToken(2, command.line), "ALL"))
    command.session.resultCode = ResultCode::kEndAll;
  return false;
}

bool HandleQuit(CommandContext& command) {
  if (command.options.verbose) command.Confirm("Goodbye.\n");
  command.session.resultCode = ResultCode::kEndAll;
  return false;
}
