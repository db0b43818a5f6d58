// obj.ADD [-f] name address [port [password]] on an agent, obj.ADD [-f] name address
// [community] on a DSM: writes a new child entry into the object's configuration and registers
// an object for it. -f writes it without asking whether the child can be reached.
#include "model/address.h"
#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kAddHelp[] = {
    "SYNTAX: obj.ADD [flags] <name> <ipaddr> [port [password]]",
    "",
    "On an AGENT object: adds an existing, installed broker on the host",
    "<ipaddr> (an IP address or a host name) to the agent's configuration",
    "file, and creates a broker object named <name> for it. The broker is",
    "reached on the given port, 5465 by default; give its password when it",
    "needs one. Unless -f is given, the broker must be contactable.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case. ADD cannot be executed on a reserved name such as ALL.",
    "",
    "Available flags for this command are:",
    "    -f    Force addition of the broker, even if it is uncontactable.",
    "",
    "SYNTAX: object.ADD [flags] <name> <ipaddr> [community]",
    "",
    "On a DSM object: adds a target on the host <ipaddr>, which is not yet",
    "in the DSM's configuration file, and creates a target object named",
    "<name> for it. The SNMP community is \"public\" unless another is given.",
    "Unless -f is given, the target must be contactable. The same rules for",
    "object names apply.",
    "",
    "Available flags for this command are:",
    "    -f    Force addition of the target, even if it is uncontactable.",
    nullptr,
};

bool HandleObjectAdd(CommandContext& command) {
  ConfigObject* object = command.workspace.registry().Find(command.objectName);

  bool force = false;
  unsigned switches = 0;
  for (std::string token = getToken(2, command.line); !token.empty() && token[0] == '-';
       token = getToken(switches + 2, command.line)) {
    ++switches;
    for (size_t at = 1; at < token.size(); ++at) {
      if (token[at] != 'f') {
        return command.Fail(ResultCode::kMissingParameters,
                            "Invalid switch used in ADD subcommand.\n");
      }
      force = true;
    }
  }

  const std::string name = getToken(switches + 2, command.line);
  if (!AcceptNewObjectName(command, name)) return false;

  const std::string address = getToken(switches + 3, command.line);
  bool added;
  if (object->kind() == ObjectKind::Agent) {
    auto port = static_cast<uint16_t>(ParseIntLikeAtoi(getToken(switches + 4, command.line)));
    if (port == 0) port = kDefaultPort;
    const std::string agentPassword = getToken(switches + 5, command.line);
    added = object->AddBroker(name, address.c_str(), port, agentPassword.c_str(), !force);
  } else if (object->kind() == ObjectKind::DSM) {
    std::string community = getToken(switches + 4, command.line);
    if (community.empty()) community = TraitsOf(ObjectKind::Target)->defaultCommunity;
    added = object->AddTarget(name, address.c_str(), community.c_str(), !force);
  } else {
    return command.Fail(ResultCode::kNotApplicable, "Cannot execute ADD on %s object \"%s\".\n",
                        KindName(object->kind()), object->name().c_str());
  }
  if (!added) {
    return command.Fail(ResultCode::kChildFailed, "Subcommand ADD failed on object \"%s\".\n",
                        command.objectName.c_str());
  }

  if (command.options.verbose) {
    const ConfigObject* child = command.workspace.registry().Find(name);
    command.Confirm("%s entry %s has been added to %s %s.\n", KindName(child->kind()), name.c_str(),
                    KindName(object->kind()), object->name().c_str());
  }
  return true;
}
