// What COMMIT needs beyond the working set: the agent above an object.
#pragma once

#include "objects/config_object.h"

// The agent at the top of the object's chain, followed through the registry by parent names;
// null when a name on the way is not registered or the top object is no agent.
ConfigObject* FindAgent(ConfigObject& object);
