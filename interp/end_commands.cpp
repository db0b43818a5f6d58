// ABORT and QUIT (EXIT, BYE): ending this script, or every script.
#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/console.h"

bool ScriptSession::HandleAbort(int lineNumber, const std::string& line, ScriptOptions&) {
  stopRequested = true;
  Report(lineNumber, "ABORT command received, no changes committed.\n");
  if (equalsIgnoringCase(getToken(2, line), "ALL")) resultCode = ResultCode::kEndAll;
  return false;
}

bool ScriptSession::HandleQuit(int, const std::string&, ScriptOptions& options) {
  if (options.verbose) consolePrint("Goodbye.\n");
  resultCode = ResultCode::kEndAll;
  return false;
}
