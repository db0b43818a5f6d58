// Session commands on objects whose handlers are not built yet. Each fails loudly with the
// undefined-error code rather than pretending to work.
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"

namespace {
bool notAvailable(ScriptSession& session, int lineNumber, const std::string& line) {
  return session.Fail(ResultCode::kUndefined, lineNumber, "%s command is not available yet.\n",
                      getToken(1, line).c_str());
}
}  // namespace

bool ScriptSession::HandleAuth(int lineNumber, const std::string& line, ScriptOptions&) {
  return notAvailable(*this, lineNumber, line);
}
bool ScriptSession::HandleAgent(int lineNumber, const std::string& line, ScriptOptions&) {
  return notAvailable(*this, lineNumber, line);
}
bool ScriptSession::HandleDrop(int lineNumber, const std::string& line, ScriptOptions&) {
  return notAvailable(*this, lineNumber, line);
}
bool ScriptSession::HandleObjects(int lineNumber, const std::string& line, ScriptOptions&) {
  return notAvailable(*this, lineNumber, line);
}
