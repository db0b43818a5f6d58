#include "sim/plan_outcome.h"

#include <optional>

#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/plan.h"

namespace sim {
namespace {

// One walk over the installation: the entries added (in tree order) and, with planned, whether
// each entry recorded holds what the planned run left of it. Children are described once, by
// their parent, for their own fingerprints as well.
class OutcomeWalk {
 public:
  OutcomeWalk(const Site& site, const std::vector<int64_t>& recordOf, int64_t records,
              const PlannedOutcome* planned)
      : firstAdded(site.firstAddedId), recordOf(recordOf), records(records), planned(planned) {}

  // description: the entry's own, when its parent had its children described.
  void Walk(const Entry& entry, std::optional<std::string_view> description, int64_t parent) {
    if (!same) return;
    const bool isAdded = entry.id >= firstAdded;
    const int64_t record =
        !isAdded && entry.id < recordOf.size() ? recordOf[entry.id] : int64_t{-1};
    const bool checked = planned != nullptr && record >= 0;
    int64_t index = record >= 0 ? record : parent;
    ChildDescriptions children;
    if (isAdded || checked) {
      children = DescribeChildren(entry);
      const std::string describedHere = description ? std::string() : Describe(entry);
      const std::string_view own = description ? *description : describedHere;
      if (isAdded) {
        index = records + static_cast<int64_t>(added.size());
        added.push_back({parent, std::string(own), Outcome(entry, own, children, {}, firstAdded)});
      } else {
        same = Holds(entry, own, children, planned->nodes[record]);
        ++kept;
      }
    }
    const bool described = isAdded || checked;
    size_t next = 0;
    auto visit = [&](const Entry& child) {
      Walk(child, described ? std::optional(children[next++]) : std::nullopt, index);
    };
    if (entry.Details().autoconfig) visit(*entry.Details().autoconfig);
    for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
      if (child != nullptr) visit(*child);
    }
  }

  std::vector<AddedEntry> added;
  bool same = true;
  size_t kept = 0;  // entries recorded and checked

 private:
  bool Holds(const Entry& entry, std::string_view description, const ChildDescriptions& children,
             const PlannedOutcome::Node& node) const {
    static const std::vector<std::string> kEmptyJournal;
    if (node.removed) return false;
    EntryAsFound found{&kEmptyJournal, {}};
    if (auto details = planned->found.find(entry.id); details != planned->found.end()) {
      found = {&details->second.journal, details->second.password};
    }
    return Outcome(entry, description, children, found, firstAdded) == node.outcome;
  }

  uint64_t firstAdded;
  const std::vector<int64_t>& recordOf;
  int64_t records;
  const PlannedOutcome* planned;
};

}  // namespace

Digest128 Outcome(const Entry& entry, std::string_view description,
                  const ChildDescriptions& children, EntryAsFound found, uint64_t firstAddedId) {
  std::string& input = FingerprintInput();
  AddEntryFields(input, description, entry, children);
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
  OutcomeWalk walk(site, recordOf, records, nullptr);
  walk.Walk(*site.root, std::nullopt, -1);
  return std::move(walk.added);
}

bool LeftAsPlanned(const Site& now, const PlannedOutcome& planned, const std::vector<bool>& read) {
  for (size_t id = 0; id < read.size(); ++id) {
    if (read[id] && (id >= planned.recordOf.size() || planned.recordOf[id] < 0)) return false;
  }
  OutcomeWalk walk(now, planned.recordOf, static_cast<int64_t>(planned.nodes.size()), &planned);
  walk.Walk(*now.root, std::nullopt, -1);
  // A recorded entry not met was removed: the planned run removed as many.
  if (!walk.same || walk.kept != planned.kept || walk.added.size() != planned.added.size()) {
    return false;
  }
  for (size_t i = 0; i < walk.added.size(); ++i) {
    const AddedEntry& was = planned.added[i];
    const AddedEntry& is = walk.added[i];
    if (is.parent != was.parent || is.description != was.description || is.outcome != was.outcome) {
      return false;
    }
  }
  return true;
}

}  // namespace sim
