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

// Writes text to path as a snapshot goes there (an undo script too): a regular file, or a name
// that does not exist yet, is replaced atomically through any link to it, keeping its mode,
// owner and group, and only when it may be written; a FIFO, a device or an open descriptor
// ("/dev/stdout") is written into; a folder is refused. False with problem set on failure.
bool WriteSnapshotFile(const std::string& path, const std::string& text, std::string& problem);
