// What the property, rule and remote-command operations need to reach an object's node.
#pragma once

#include "model/config_object.h"
#include "model/server_session.h"

// An object is available when it has a node and a server session object exists; the
// operations of this folder do nothing to an object that is not.
inline bool IsAvailable(const ConfigObject& object) {
  return object.node != nullptr && CurrentServerSession() != nullptr;
}
