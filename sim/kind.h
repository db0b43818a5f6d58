// What the simulated installation knows of each kind of node, read from one table: the type name
// the interface gives, the kind of its children with their key in the site file, and the commands
// it accepts when the file lists none.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace sim {

// "Root", "Agent", "Broker", "AutoConfig", "DSM" or "Target".
const char* TypeName(Kind kind);
// The kind of the children that the walker of a node of this kind goes over, if any.
std::optional<Kind> ChildKind(Kind parent);
// The site file's key of those children ("brokers", "dsms", "targets"), or null.
const char* ChildListKey(Kind parent);
// The commands a node of that kind accepts when the file does not list them.
const std::vector<std::string>& DefaultCommands(Kind kind);

}  // namespace sim
