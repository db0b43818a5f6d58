// AUTH server user [password]: opens the connection to the event server explicitly.
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/server_session.h"
#include "runtime/console.h"

bool ScriptSession::HandleAuth(int lineNumber, const std::string& line, ScriptOptions& options) {
  if (tokenCount(line) < 3) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for AUTH command.\n");
  }
  if (IsAuthenticated()) {
    return Fail(ResultCode::kAlreadyAuthenticated, lineNumber,
                "Already authenticated to an Ilvaris.\n");
  }
  // Stored before the attempt, so that AGENT retries with them after a failure.
  serverName = getToken(2, line);
  userName = getToken(3, line);
  password = restOfLine(4, line);
  if (!OpenServerSession(serverName.c_str(), userName.c_str(), password.c_str())) {
    return Fail(ResultCode::kNotAuthenticated, lineNumber,
                "Authenticiation to Ilvaris %s as user %s failed.\n", serverName.c_str(),
                userName.c_str());
  }
  if (options.verbose) {
    consolePrint("Authenticated as Ilvaris %s as user %s.\n", serverName.c_str(),
                 userName.c_str());
  }
  return true;
}
