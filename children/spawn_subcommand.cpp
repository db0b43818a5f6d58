// obj.SPAWN name ...: registers an object for a child that is already in the object's
// configuration (a broker of an agent, a DSM or the autoconfig object of a broker, a target of
// a DSM). Nothing is written to the configuration.
#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/c_number.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/failure_record.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kSpawnHelp[] = {
    "SYNTAX: obj.SPAWN <name> <ipaddr> [port [password]]",
    "",
    "On an AGENT object: creates a broker object named <name> for a broker",
    "that is already in the agent's configuration file, found by its host",
    "<ipaddr> (an IP address or a host name) and its port, 5465 by default.",
    "Give the broker's password when it needs one. A broker that already",
    "has an object under this agent cannot be spawned a second time.",
    "",
    "Use obj.ADD instead to add a broker that is not yet in the agent's",
    "configuration file.",
    "",
    "SYNTAX: obj.SPAWN <name> <dsmname>",
    "",
    "On a BROKER object: creates a DSM object named <name> for the DSM",
    "called <dsmname> that is installed on the broker's machine. The DSM",
    "name may be written in any case; a DSM that already has an object",
    "under this broker cannot be spawned a second time.",
    "",
    "SYNTAX:  obj.SPAWN <name> <ipaddr> [community]",
    "",
    "On a DSM object: creates a target object named <name> for a target",
    "that is already in the DSM's configuration directory, found by its",
    "host <ipaddr> and its SNMP community, \"public\" by default. A target",
    "that already has an object under this DSM cannot be spawned again.",
    "With QUIET ON a failure of this form is not reported, but it still",
    "counts as a failure.",
    "",
    "Use obj.ADD instead to add a target that is not yet in the DSM's",
    "configuration.",
    "",
    "SYNTAX: object.SPAWN <name> BROKER",
    "",
    "On an AGENT object: creates a broker object named <name> for the",
    "agent's local broker, the one on the agent's own machine. No children",
    "can be added under this object. It cannot be created when the agent",
    "already has a broker object.",
    "",
    "SYNTAX: object.SPAWN <name> AUTOCONFIG",
    "",
    "On a BROKER object: creates an object named <name> for the broker's",
    "autoconfig object, whose options can then be shown and changed with",
    "obj.SET and whose log can be read with obj.LOG. A broker can have only",
    "one such object.",
    "",
    "The words BROKER and AUTOCONFIG may be written in any case.",
    "",
    "SPAWN changes no configuration file. It fails when the child cannot be",
    "found or reached, or when an object for it already exists.",
    "SPAWN cannot be executed on TARGET and AUTOCONFIG objects.",
    "",
    "Object names are case-sensitive. They may not contain a period and may",
    "not be a reserved name: ALL, AGENT, DSM, TARGET, BROKER or AUTOCONFIG,",
    "in any case. SPAWN cannot be executed on a reserved name such as ALL.",
    nullptr,
};

bool HandleObjectSpawn(CommandContext& command) {
  ConfigObject* object = command.workspace.registry().Find(command.objectName);
  LineTokens tokens(command.line);
  const std::string name(tokens[2]);
  if (!AcceptNewObjectName(command, name)) return false;

  const std::string what(tokens[3]);
  bool spawned;
  switch (object->kind()) {
    case ObjectKind::Agent:
      if (EqualsIgnoringCase(what, "BROKER")) {
        spawned = object->SpawnLocalChild(name, ObjectKind::Broker);
      } else {
        auto port = static_cast<uint16_t>(ParseIntLikeAtoi(tokens[4]));
        if (port == 0) port = kDefaultPort;
        spawned = object->SpawnBroker(name, what.c_str(), port, std::string(tokens[5]).c_str());
      }
      break;
    case ObjectKind::Broker:
      spawned = EqualsIgnoringCase(what, "AUTOCONFIG")
                    ? object->SpawnLocalChild(name, ObjectKind::AutoConfig)
                    : object->SpawnDsm(name, what.c_str());
      break;
    case ObjectKind::DSM: {
      std::string community(tokens[4]);
      if (community.empty()) community = TraitsOf(ObjectKind::Target)->defaultCommunity;
      spawned = object->SpawnTarget(name, what.c_str(), community.c_str());
      break;
    }
    default:
      return command.Fail(ResultCode::kNotApplicable, "Cannot execute SPAWN on %s object \"%s\".\n",
                          KindName(object->kind()), object->name().c_str());
  }

  if (!spawned) {
    // A target that is not there is common in bulk scripts; QUIET keeps those failures silent.
    if (object->kind() == ObjectKind::DSM && command.options.quiet) {
      command.session.resultCode = ResultCode::kChildFailed;
      NoteSilentFailure("SPAWN failed on \"" + object->name() + "\"; SET QUIET OFF shows why");
      return false;
    }
    return command.Fail(ResultCode::kChildFailed, "Subcommand SPAWN failed on object \"%s\".\n",
                        object->name().c_str());
  }

  if (command.options.verbose) {
    // The target form has always said "spwaned"; scripts that read the output rely on it.
    const char* verb = object->kind() == ObjectKind::DSM ? "spwaned" : "spawned";
    command.Confirm("%s entry %s has been %s from %s %s.\n",
                    KindName(command.workspace.registry().Find(name)->kind()), name.c_str(), verb,
                    KindName(object->kind()), object->name().c_str());
  }
  return true;
}
