// obj.SPAWN name ...: registers an object for a child that is already in the object's
// configuration (a broker of an agent, a DSM or the autoconfig object of a broker, a target of
// a DSM). Nothing is written to the configuration.
#include "children/child_definitions.h"
#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/child_identity.h"
#include "objects/object_registry.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

// The duplicate tests ask whether a registered child of this object has the record the new one
// would have. The registry keeps every child's identity keyed by parent, so each test is one
// lookup whatever the number of siblings.

bool ConfigObject::SpawnBroker(const std::string& childName, const char* address, uint16_t port,
                               const char* password) {
  ObjectRegistry& registry = Registry();
  if (kind != ObjectKind::Agent || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, BrokerIdentityKey(address, port))) {
    return false;
  }
  return KeepOrDiscard(
      LocateByAddress(childName, ObjectKind::Broker, address, port, password, this), childName);
}

bool ConfigObject::SpawnDsm(const std::string& childName, const char* dsmName) {
  ObjectRegistry& registry = Registry();
  if (kind != ObjectKind::Broker || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, DsmIdentityKey(dsmName))) {
    return false;
  }
  return KeepOrDiscard(LocateDsmByName(childName, ObjectKind::DSM, dsmName, this), childName);
}

bool ConfigObject::SpawnTarget(const std::string& childName, const char* address,
                               const char* community) {
  ObjectRegistry& registry = Registry();
  if (kind != ObjectKind::DSM || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, TargetIdentityKey(address, community))) {
    return false;
  }
  return KeepOrDiscard(
      LocateTargetByAddress(childName, ObjectKind::Target, address, community, this),
      childName);
}

bool ConfigObject::SpawnLocalChild(const std::string& childName, ObjectKind childKind) {
  ObjectRegistry& registry = Registry();
  const bool served = (kind == ObjectKind::Agent && childKind == ObjectKind::Broker) ||
                      (kind == ObjectKind::Broker && childKind == ObjectKind::AutoConfig);
  // At most one of each: on an agent every registered broker counts, however it was made.
  if (!served || registry.Find(childName) != nullptr ||
      registry.HasChildWithIdentity(*this, KindIdentityKey(childKind))) {
    return false;
  }
  return KeepOrDiscard(LocateLocalChild(childName, childKind, this), childName);
}

bool ScriptSession::HandleObjectSpawn(int lineNumber, const std::string& line,
                                      ScriptOptions& options, std::string objectName) {
  ConfigObject* object = RegisteredObjectOrRefuse(lineNumber, objectName, "SPAWN");
  if (object == nullptr) return false;
  if (tokenCount(line) < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for SPAWN subcommand.\n");
  }
  const std::string name = getToken(2, line);
  if (!AcceptNewObjectName(lineNumber, name, options)) return false;

  const std::string what = getToken(3, line);
  bool spawned;
  switch (object->kind) {
    case ObjectKind::Agent:
      if (equalsIgnoringCase(what, "BROKER")) {
        spawned = object->SpawnLocalChild(name, ObjectKind::Broker);
      } else {
        auto port = static_cast<uint16_t>(parseIntLikeAtoi(getToken(4, line)));
        if (port == 0) port = kDefaultPort;
        spawned = object->SpawnBroker(name, what.c_str(), port, getToken(5, line).c_str());
      }
      break;
    case ObjectKind::Broker:
      spawned = equalsIgnoringCase(what, "AUTOCONFIG")
                    ? object->SpawnLocalChild(name, ObjectKind::AutoConfig)
                    : object->SpawnDsm(name, what.c_str());
      break;
    case ObjectKind::DSM: {
      std::string community = getToken(4, line);
      if (community.empty()) community = "public";
      spawned = object->SpawnTarget(name, what.c_str(), community.c_str());
      break;
    }
    default:
      return Fail(ResultCode::kNotApplicable, lineNumber,
                  "Cannot execute SPAWN on %s object \"%s\".\n", KindName(object->kind),
                  object->name.c_str());
  }

  if (!spawned) {
    // A target that is not there is common in bulk scripts; QUIET keeps those failures silent.
    if (object->kind == ObjectKind::DSM && options.quiet) {
      resultCode = ResultCode::kChildFailed;
      return false;
    }
    return Fail(ResultCode::kChildFailed, lineNumber,
                "Subcommand SPAWN failed on object \"%s\".\n", object->name.c_str());
  }

  if (options.verbose) {
    // The target form has always said "spwaned"; scripts that read the output rely on it.
    const char* verb = object->kind == ObjectKind::DSM ? "spwaned" : "spawned";
    consolePrint("%s entry %s has been %s from %s %s.\n", KindName(Registry().Find(name)->kind),
                 name.c_str(), verb, KindName(object->kind), object->name.c_str());
  }
  return true;
}
