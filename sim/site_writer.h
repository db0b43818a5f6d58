// Writes an installation as the text of a site file (format 1): the whole of it, as the site file
// is written back, or a snapshot of some of its agents, as the interface shows them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace sim {

// The whole installation as pretty-printed JSON with keys in a fixed order. Identity keys
// ("ipaddr", "port", "name", "community") are always spelled out; other keys only when they
// differ from their defaults, so that a file written back stays close to the one written by hand.
std::string WriteSite(const Site& site);

// The text of a snapshot's "comment": what a snapshot cannot carry.
extern const char* const kSnapshotComment;

// One agent of a snapshot: its entry, or null when the agent is gone from the installation;
// description then names it ("Agent 10.1.1.1:5465").
struct SnapshotAgent {
  std::shared_ptr<Entry> entry;
  std::string description;
};

// A snapshot: the agents' subtrees with what the interface tells of each node (its definition,
// liveness, local broker, version, properties, the last 64 KiB of its current log, starting at a
// whole line), the rules, the server and user of the session that took it, "any_password", and
// kSnapshotComment. Keys are in the order of WriteSite, laid out compactly (JsonText::Compact),
// with only line feeds escaped by a letter. None, with problem set, when a node's properties or
// children cannot be read (problem names the node): an empty set never stands in for them.
std::optional<std::string> WriteSnapshot(const Site& site, const std::vector<SnapshotAgent>& agents,
                                         const std::string& server, const std::string& user,
                                         std::string& problem);

}  // namespace sim
