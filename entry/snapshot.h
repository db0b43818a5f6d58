// A snapshot: the subtrees of the declared agents as an installation file that the simulated
// installation loads, written by the implementation of the interface (OrbitaneSnapshot).
#pragma once

#include <string>

// The installation file for every agent registered now (each agent once), with the rule list, the
// server and the user of the current session, and "any_password": passwords are never read.
// Returns false with problem set when there is no authenticated session, when the implementation
// cannot take snapshots, or when the properties or the children of a node cannot be read (problem
// names the node): a snapshot is never passed off with an empty set in their place.
bool MakeSnapshot(std::string& text, std::string& problem);
