// obj.ADD [-f] name address [port [password]] on an agent, obj.ADD [-f] name address
// [community] on a DSM: writes a new child entry into the object's configuration and registers
// an object for it. -f writes it without asking whether the child can be reached.
#include "model/address.h"
#include "model/object_name_checks.h"
#include "model/object_registry.h"
#include "model/server_session.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The start of a new entry under parent: the record's address, when parent is of parentKind,
// has a node, a server session exists, childName is free and address resolves.
bool NewEntryRecord(const ConfigObject& parent, ObjectKind parentKind, const std::string& childName,
                    const char* address, ChildDefinitionData& record) {
  if (parent.node == nullptr || CurrentServerSession() == nullptr || parent.kind != parentKind ||
      Registry().Find(childName) != nullptr) {
    return false;
  }
  in_addr resolved;
  if (!ResolveAddress(address, resolved)) return false;
  record.setv("ipaddr", DottedText(resolved).c_str());
  return true;
}

// Adds the child that record describes under parent and registers it as kind under name.
bool AddChild(ConfigObject& parent, const std::string& name, ObjectKind kind,
              const ChildDefinitionData& record, bool check) {
  if (check && !parent.node->CanAddChild(record)) return false;
  TreeNode* node = parent.node->AddChild(record);
  if (node == nullptr) return false;
  return KeepOrDiscard(ConfigObject::AdoptNode(name, kind, node, &parent), name);
}

}  // namespace

bool ConfigObject::AddBroker(const std::string& childName, const char* address, uint16_t port,
                             const char* password, bool check) {
  ChildDefinitionData record;
  if (!NewEntryRecord(*this, ObjectKind::Agent, childName, address, record)) return false;
  record.setv("port", port == 0 ? kDefaultPort : port);
  node->SupplyChildPassword(record, password == nullptr ? "" : password);
  return AddChild(*this, childName, ObjectKind::Broker, record, check);
}

bool ConfigObject::AddTarget(const std::string& childName, const char* address,
                             const char* community, bool check) {
  ChildDefinitionData record;
  if (!NewEntryRecord(*this, ObjectKind::DSM, childName, address, record)) return false;
  record.setv("community", community);
  return AddChild(*this, childName, ObjectKind::Target, record, check);
}

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
  ConfigObject* object = Registry().Find(command.objectName);

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
  if (object->kind == ObjectKind::Agent) {
    auto port = static_cast<uint16_t>(ParseIntLikeAtoi(getToken(switches + 4, command.line)));
    if (port == 0) port = kDefaultPort;
    const std::string agentPassword = getToken(switches + 5, command.line);
    added = object->AddBroker(name, address.c_str(), port, agentPassword.c_str(), !force);
  } else if (object->kind == ObjectKind::DSM) {
    std::string community = getToken(switches + 4, command.line);
    if (community.empty()) community = TraitsOf(ObjectKind::Target)->defaultCommunity;
    added = object->AddTarget(name, address.c_str(), community.c_str(), !force);
  } else {
    return command.Fail(ResultCode::kNotApplicable, "Cannot execute ADD on %s object \"%s\".\n",
                        KindName(object->kind), object->name.c_str());
  }
  if (!added) {
    return command.Fail(ResultCode::kChildFailed, "Subcommand ADD failed on object \"%s\".\n",
                        command.objectName.c_str());
  }

  if (command.options.verbose) {
    const ConfigObject* child = Registry().Find(name);
    ConsolePrint("%s entry %s has been added to %s %s.\n", KindName(child->kind), name.c_str(),
                 KindName(object->kind), object->name.c_str());
  }
  return true;
}
