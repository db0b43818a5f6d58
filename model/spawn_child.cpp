// SPAWN's part in the model: registering an object for a child that is already in the
// configuration. Nothing is written to the configuration.
#include "model/child_identity.h"
#include "model/object_registry.h"
#include "model/workspace.h"

// The duplicate tests ask whether a registered child of this object has the record the new one
// would have. The registry keeps every child's identity keyed by parent, so each test is one
// lookup whatever the number of siblings.

bool ConfigObject::SpawnBroker(const std::string& childName, const char* address, uint16_t port,
                               const char* password) {
  const ObjectRegistry& registry = home->registry();
  if (objectKind != ObjectKind::Agent || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, BrokerIdentityKey(address, port))) {
    return false;
  }
  return KeepOrDiscard(
      LocateByAddress(*home, childName, ObjectKind::Broker, address, port, password, this),
      childName);
}

bool ConfigObject::SpawnDsm(const std::string& childName, const char* dsmName) {
  const ObjectRegistry& registry = home->registry();
  if (objectKind != ObjectKind::Broker || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, DsmIdentityKey(dsmName))) {
    return false;
  }
  return KeepOrDiscard(LocateDsmByName(*home, childName, ObjectKind::DSM, dsmName, this),
                       childName);
}

bool ConfigObject::SpawnTarget(const std::string& childName, const char* address,
                               const char* community) {
  const ObjectRegistry& registry = home->registry();
  if (objectKind != ObjectKind::DSM || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, TargetIdentityKey(address, community))) {
    return false;
  }
  return KeepOrDiscard(
      LocateTargetByAddress(*home, childName, ObjectKind::Target, address, community, this),
      childName);
}

bool ConfigObject::SpawnLocalChild(const std::string& childName, ObjectKind childKind) {
  const ObjectRegistry& registry = home->registry();
  const bool served = (objectKind == ObjectKind::Agent && childKind == ObjectKind::Broker) ||
                      (objectKind == ObjectKind::Broker && childKind == ObjectKind::AutoConfig);
  // At most one of each: on an agent every registered broker counts, however it was made.
  if (!served || registry.Find(childName) != nullptr || registry.HasChildOfKind(*this, childKind)) {
    return false;
  }
  return KeepOrDiscard(LocateLocalChild(*home, childName, childKind, this), childName);
}
