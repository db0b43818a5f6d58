// INCLUDE: runs another script file inside this one, with a copy of this script's options.
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/console.h"

bool ScriptSession::HandleInclude(int lineNumber, const std::string& line,
                                  ScriptOptions& options) {
  if (tokenCount(line) < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for INCLUDE command.\n");
  }
  const std::string fileName = getToken(2, line);
  int code = runScript(fileName.c_str(), options);
  if (code != ResultCode::kOk) {
    // A failure inside the included script does not stop this one; an end-all request does.
    if (code == ResultCode::kEndAll) stopRequested = true;
    return false;
  }
  if (options.verbose) consolePrint("Script file %s completed successfully.\n", fileName.c_str());
  return true;
}
