// A snapshot: the subtrees of the declared agents, read through the vendor interface only and
// written as an installation file that the simulated installation loads.
#pragma once

#include <string>

// The installation file for every agent registered now (each agent once), with the rule list, the
// server and the user of the current session, and "any_password": passwords are never read.
// Returns false with problem set when there is no authenticated session.
bool MakeSnapshot(std::string& text, std::string& problem);
