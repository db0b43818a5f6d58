// ADD's part in the model: writing a new child entry into an agent's or a DSM's configuration
// and registering an object for it.
#include "model/address.h"
#include "model/object_registry.h"
#include "model/workspace.h"

namespace {

// The start of a new entry under parent: the record's address, when parent is of parentKind,
// is available, childName is free and address resolves.
bool NewEntryRecord(const ConfigObject& parent, ObjectKind parentKind, const std::string& childName,
                    const char* address, ChildDefinitionData& record) {
  if (!parent.IsAvailable() || parent.kind() != parentKind ||
      parent.workspace().registry().Find(childName) != nullptr) {
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
  if (check && !parent.node()->CanAddChild(record)) return false;
  TreeNode* node = parent.node()->AddChild(record);
  if (node == nullptr) return false;
  return KeepOrDiscard(ConfigObject::AdoptNode(parent.workspace(), name, kind, node, &parent),
                       name);
}

}  // namespace

bool ConfigObject::AddBroker(const std::string& childName, const char* address, uint16_t port,
                             const char* password, bool check) {
  ChildDefinitionData record;
  if (!NewEntryRecord(*this, ObjectKind::Agent, childName, address, record)) return false;
  record.setv("port", port == 0 ? kDefaultPort : port);
  treeNode->SupplyChildPassword(record, password == nullptr ? "" : password);
  return AddChild(*this, childName, ObjectKind::Broker, record, check);
}

bool ConfigObject::AddTarget(const std::string& childName, const char* address,
                             const char* community, bool check) {
  ChildDefinitionData record;
  if (!NewEntryRecord(*this, ObjectKind::DSM, childName, address, record)) return false;
  record.setv("community", community);
  return AddChild(*this, childName, ObjectKind::Target, record, check);
}
