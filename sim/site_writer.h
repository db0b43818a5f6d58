// Writes an installation as the text of a site file (format 1).
#pragma once

#include <string>

#include "sim/model.h"

namespace sim {

// The whole installation as pretty-printed JSON with keys in a fixed order. Identity keys
// ("ipaddr", "port", "name", "community") are always spelled out; other keys only when they
// differ from their defaults, so that a file written back stays close to the one written by hand.
std::string WriteSite(const Site& site);

}  // namespace sim
