// What a run left of the entries a saved plan recorded, and of those it added: the plan keeps a
// fingerprint of each as its dry run left it, and after --apply's run the same fingerprints of
// the installation tell at once that the run made the planned changes and no others.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/fingerprint.h"
#include "sim/model.h"

namespace sim {

// What an entry held when a run began, beyond its fingerprint: its journal and its password.
struct EntryAsFound {
  const std::vector<std::string>* journal = nullptr;  // null: the run added the entry
  std::string_view password;
};

// The fingerprint of what a run left of an entry: the fingerprint's texts, which children the run
// added (an id from firstAddedId on), the commands sent to it since found (as a plan lists them)
// and whether its password changed.
// description is the entry's own (Describe), which the caller often holds already.
Digest128 Outcome(const Entry& entry, std::string_view description,
                  const ChildDescriptions& children, EntryAsFound found, uint64_t firstAddedId);

// An entry that a run added, in tree order: parent is the index of the record of its nearest
// recorded ancestor, or, when that is an entry added too, the number of records plus its place
// among the added.
struct AddedEntry {
  int64_t parent = -1;
  std::string description;
  Digest128 outcome;
};
// recordOf gives the index of an entry's record by id, -1 for none.
std::vector<AddedEntry> AddedEntries(const Site& site, const std::vector<int64_t>& recordOf,
                                     int64_t records);

// What Drift keeps of a record to tell, after the run, whether it left what the planned run left.
struct PlannedOutcome {
  struct Node {
    bool removed = false;  // the planned run removed it
    Digest128 outcome;
  };
  std::vector<Node> nodes;  // by record; only those of fingerprinted records found are read
  size_t kept = 0;          // of them, the nodes the planned run did not remove
  std::vector<AddedEntry> added;
  std::vector<int64_t> recordOf;  // by id, the index of the record of each entry found, or -1
  // The journals and passwords of the entries found that have either, by id.
  struct Found {
    std::vector<std::string> journal;
    std::string password;
  };
  std::unordered_map<uint64_t, Found> found;
};

// After the run that followed Drift: whether every entry recorded and every entry added holds
// what the planned run left, and the run read (read, by id) no entry of the load that the planned
// run did not read (only an entry read can have been changed). False tells only that the run may
// differ: the full comparison says.
bool LeftAsPlanned(const Site& now, const PlannedOutcome& planned, const std::vector<bool>& read);

}  // namespace sim
