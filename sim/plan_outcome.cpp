#include "sim/plan_outcome.h"

#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/plan.h"

namespace sim {
namespace {

class AddedWalk {
 public:
  AddedWalk(const Site& site, const std::vector<int64_t>& recordOf, int64_t records)
      : firstAdded(site.firstAddedId), recordOf(recordOf), records(records) {}

  void Walk(const Entry& entry, int64_t parent) {
    int64_t index = parent;
    if (entry.id >= firstAdded) {
      index = records + static_cast<int64_t>(added.size());
      added.push_back(
          {parent, Describe(entry), Outcome(entry, DescribeChildren(entry), {}, firstAdded)});
    } else if (entry.id < recordOf.size() && recordOf[entry.id] >= 0) {
      index = recordOf[entry.id];
    }
    if (entry.Details().autoconfig) Walk(*entry.Details().autoconfig, index);
    for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
      if (child != nullptr) Walk(*child, index);
    }
  }

  std::vector<AddedEntry> added;

 private:
  uint64_t firstAdded;
  const std::vector<int64_t>& recordOf;
  int64_t records;
};

}  // namespace

Digest128 Outcome(const Entry& entry, const ChildDescriptions& children, EntryAsFound found,
                  uint64_t firstAddedId) {
  static std::string input;  // kept, so that its memory serves every entry
  input.clear();
  AddEntryFields(input, entry, children);
  AddFingerprintField(input, "added");
  for (const Entry* child : children.entries) input += child->id >= firstAddedId ? '+' : '-';
  static const std::vector<std::string> kNone;
  AddFingerprintField(input, "sent");
  for (std::string_view command :
       CommandsSent(found.journal != nullptr ? *found.journal : kNone, entry.Details().journal)) {
    AddFingerprintField(input, command);
  }
  const std::string& password = entry.Details().password;
  const bool passwordChanged =
      found.journal == nullptr ? !password.empty() : found.password != password;
  AddFingerprintField(input, passwordChanged ? "password changed" : "");
  return FingerprintDigest(input);
}

std::vector<AddedEntry> AddedEntries(const Site& site, const std::vector<int64_t>& recordOf,
                                     int64_t records) {
  AddedWalk walk(site, recordOf, records);
  walk.Walk(*site.root, -1);
  return std::move(walk.added);
}

bool LeftAsPlanned(Site& now, const PlannedOutcome& planned) {
  static const std::vector<std::string> kEmptyJournal;
  for (const PlannedOutcome::Node& node : planned.nodes) {
    const std::shared_ptr<Entry> entry = now.FindById(node.id);
    if (entry == nullptr || node.removed) {
      if (entry != nullptr || !node.removed) return false;
      continue;
    }
    EntryAsFound found{&kEmptyJournal, {}};
    if (auto details = planned.found.find(node.id); details != planned.found.end()) {
      found = {&details->second.journal, details->second.password};
    }
    if (Outcome(*entry, DescribeChildren(*entry), found, now.firstAddedId) != node.outcome) {
      return false;
    }
  }
  const std::vector<AddedEntry> added = AddedEntries(now, planned.recordOf, planned.records);
  if (added.size() != planned.added.size()) return false;
  for (size_t i = 0; i < added.size(); ++i) {
    const AddedEntry& was = planned.added[i];
    if (added[i].parent != was.parent || added[i].description != was.description ||
        added[i].outcome != was.outcome) {
      return false;
    }
  }
  return true;
}

}  // namespace sim
