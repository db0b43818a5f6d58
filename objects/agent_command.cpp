// AGENT name address [port [password]]: declares the object for the management agent on a host,
// authenticating with the session's stored credentials when AUTH has not been run.
#include "children/child_definitions.h"
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/object_registry.h"
#include "objects/server_session.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

bool ScriptSession::HandleAgent(int lineNumber, const std::string& line, ScriptOptions& options) {
  if (tokenCount(line) < 3) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for AGENT command.\n");
  }
  const std::string name = getToken(2, line);
  if (!AcceptNewObjectName(lineNumber, name, options)) return false;
  if (!OpenServerSession(serverName.c_str(), userName.c_str(), password.c_str())) {
    return Fail(ResultCode::kNotAuthenticated, lineNumber,
                "Authenticiation to Ilvaris %s as user %s failed.\n", serverName.c_str(),
                userName.c_str());
  }
  if (Registry().Find(name) != nullptr) {
    return Fail(ResultCode::kRedeclaration, lineNumber,
                "Redeclaration of existing object \"%s\".\n", name.c_str());
  }

  const std::string address = getToken(3, line);
  const auto port = static_cast<uint16_t>(parseIntLikeAtoi(getToken(4, line)));
  const std::string agentPassword = getToken(5, line);
  std::unique_ptr<ConfigObject> agent = ConfigObject::LocateByAddress(
      name, ObjectKind::Agent, address.c_str(), port, agentPassword.c_str(), nullptr);
  if (agent == nullptr || !agent->IsAlive()) {
    return Fail(ResultCode::kCannotCreateObject, lineNumber, "Could not create object \"%s\".\n",
                name.c_str());
  }
  Registry().Insert(name, std::move(agent));
  if (options.verbose) consolePrint("Agent object named %s has been created.\n", name.c_str());
  return true;
}
