// The parts of ConfigObject that every kind shares: its life, its liveness and the view of its
// record with defaults. Obtaining a node is object_location.cpp; the operations on children,
// properties and rules have a file each beside it.
#include "model/config_object.h"

#include "model/child_identity.h"
#include "model/workspace.h"

ConfigObject::ConfigObject(Workspace& workspace, const std::string& name, ObjectKind kind,
                           ConfigObject* parent, std::unique_ptr<TreeNode> node)
    : home(&workspace),
      parentObject(parent),
      objectName(name),
      objectKind(kind),
      treeNode(std::move(node)) {}

// The node goes through its virtual destructor; the working set and a rule-description table
// that no other object shares go with their holders.
ConfigObject::~ConfigObject() = default;

const ConfigObject::SetAside& ConfigObject::setAside() const {
  static const SetAside kNone;
  return setAsideValues ? *setAsideValues : kNone;
}

ConfigObject::SetAside& ConfigObject::EditSetAside() {
  if (!setAsideValues) setAsideValues = std::make_unique<SetAside>();
  return *setAsideValues;
}

bool ConfigObject::IsAlive() const { return IsAvailable() && treeNode->NodeIsAlive(); }

bool ConfigObject::IsAvailable() const {
  return treeNode != nullptr && home->serverSession() != nullptr;
}

ChildDefinitionData ConfigObject::GetDefinitionWithDefaults() const {
  ChildDefinitionData record = DefinitionWithIdentityDefaults(*this);
  if (objectKind == ObjectKind::Broker && IsAvailable() && !record.exists("version")) {
    if (char* version = treeNode->GetNamedDataItem("version:1")) {
      record.setv("version", version);
      SharedHeapFree(version);
    }
  }
  return record;
}
