// The parts of ConfigObject that every kind shares: its life, its liveness and the view of its
// record with defaults. Obtaining a node is children/child_definitions.cpp; properties and rules
// are props/.
#include "model/config_object.h"

#include "model/child_identity.h"
#include "model/server_session.h"

ConfigObject::ConfigObject(const std::string& objectName, ObjectKind objectKind,
                           ConfigObject* parentObject)
    : parent(parentObject), name(objectName), kind(objectKind) {}

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

bool ConfigObject::IsAlive() const {
  return node != nullptr && CurrentServerSession() != nullptr && node->NodeIsAlive();
}

ChildDefinitionData ConfigObject::GetDefinitionWithDefaults() const {
  ChildDefinitionData record = DefinitionWithIdentityDefaults(*this);
  if (kind == ObjectKind::Broker && node != nullptr && !record.exists("version") &&
      CurrentServerSession() != nullptr) {
    if (char* version = node->GetNamedDataItem("version:1")) {
      record.setv("version", version);
      SharedHeapFree(version);
    }
  }
  return record;
}
