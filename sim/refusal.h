// Why the simulated installation last refused a call, kept until the engine asks for it, so that
// a failure can be followed by its reason and the way out.
#pragma once

#include <string>

#include "orbitane/extensions.h"

namespace sim {

// Remembers reason (one of the kOrbitaneRefusal... values) and its text, replacing an earlier one.
void Refuse(int reason, std::string text);

}  // namespace sim
