// AGENT name address [port [password]]: declares the object for the management agent on a host,
// authenticating with the session's stored credentials when AUTH has not been run.
#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kAgentHelp[] = {
    "SYNTAX: AGENT <name> <ipaddr> [port [password]]",
    "",
    "Creates an agent object named <name> for an existing agent on the host",
    "<ipaddr> (an IP address or a host name), reached on the given port,",
    "5465 by default. Give the password when the agent needs one. The agent",
    "must be reachable. No configuration file is changed.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case.",
    nullptr,
};

bool HandleAgent(CommandContext& command) {
  const std::string name = getToken(2, command.line);
  if (!AcceptNewObjectName(command, name)) return false;
  if (!command.workspace.OpenServerSession(command.session.serverName.c_str(),
                                           command.session.userName.c_str(),
                                           command.session.password.c_str())) {
    return command.Fail(ResultCode::kNotAuthenticated,
                        "Authenticiation to Ilvaris %s as user %s failed.\n",
                        command.session.serverName.c_str(), command.session.userName.c_str());
  }
  if (command.workspace.registry().Find(name) != nullptr) {
    return command.Fail(ResultCode::kRedeclaration, "Redeclaration of existing object \"%s\".\n",
                        name.c_str());
  }

  const std::string address = getToken(3, command.line);
  const auto port = static_cast<uint16_t>(ParseIntLikeAtoi(getToken(4, command.line)));
  const std::string agentPassword = getToken(5, command.line);
  std::unique_ptr<ConfigObject> agent =
      ConfigObject::LocateByAddress(command.workspace, name, ObjectKind::Agent, address.c_str(),
                                    port, agentPassword.c_str(), nullptr);
  if (agent == nullptr || !agent->IsAlive()) {
    return command.Fail(ResultCode::kCannotCreateObject, "Could not create object \"%s\".\n",
                        name.c_str());
  }
  command.workspace.registry().Insert(name, std::move(agent));
  if (command.options.verbose)
    command.Confirm("Agent object named %s has been created.\n", name.c_str());
  return true;
}
