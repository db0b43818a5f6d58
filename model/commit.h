// What COMMIT needs beyond the working set: the agent above an object.
#pragma once

#include "model/config_object.h"

// The agent at the top of the object's chain of parents; null when the top object is no agent.
ConfigObject* FindAgent(ConfigObject& object);
