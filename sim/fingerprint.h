// Fingerprints of entries, for saved plans: what a plan was made from, whether the installation
// still holds it when the plan is applied, and whether the run left what the plan's run left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/model.h"

namespace sim {

struct PlannedOutcome;

// The version of the record that FingerprintRecords writes and Drift reads.
constexpr int kPlanRecordFormat = 2;

// A 128-bit fingerprint (XXH3): far more than enough to tell a node's states apart, at a quarter
// of a SHA-256's place in the record, and digested at memory speed. A fingerprint tells the
// accidental changes of another process apart; it is no defence against a forged plan, which
// could name any script anyway.
struct Digest128 {
  uint64_t high = 0;
  uint64_t low = 0;
  bool operator==(const Digest128& other) const { return high == other.high && low == other.low; }
  bool operator!=(const Digest128& other) const { return !(*this == other); }
  // 32 lower-case hexadecimal digits, high half first.
  std::string Hex() const;
  // The digest of such a text; none for any other text.
  static std::optional<Digest128> FromHex(std::string_view hex);
};

// The descriptions of an entry's children as a fingerprint and a record list them: the autoconfig
// object, then the others in file order. They lie one after another in one text, so that a DSM of
// a hundred thousand targets is described in a few allocations.
class ChildDescriptions {
 public:
  void Add(const Entry& child);
  size_t size() const { return entries.size(); }
  std::string_view operator[](size_t i) const {
    const size_t start = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(start, ends[i] - start);
  }
  std::vector<const Entry*> entries;

 private:
  std::string text;
  std::vector<size_t> ends;  // where each description ends in text
};
ChildDescriptions DescribeChildren(const Entry& entry);

// The fingerprint of an entry's kind and identity, its properties in key order (the rule values
// among them) and the descriptions of its children in order. Neither its password, its journal
// nor its logs take part.
// description is the entry's own (Describe), which the caller often holds already.
Digest128 Fingerprint(const Entry& entry, std::string_view description,
                      const ChildDescriptions& children);

// The pieces of a fingerprint, for the fingerprints of what a run left (plan_outcome.h): a text
// and its length (so that ("ab", "c") and ("a", "bc") never digest alike), the texts of an entry
// that Fingerprint digests, and the digest of them all (given in one buffer, digested at once).
void AddFingerprintField(std::string& input, std::string_view text);
void AddEntryFields(std::string& input, std::string_view description, const Entry& entry,
                    const ChildDescriptions& children);
Digest128 FingerprintDigest(const std::string& input);
// The buffer that fingerprints are digested from, emptied.
std::string& FingerprintInput();

// A saved plan's record of the installation: {"format": kPlanRecordFormat, "nodes": [...],
// "added": [...]}. "nodes" holds the entries of before (the installation as loaded) whose ids are
// marked in read, in tree order, one list each:
//
//   [PARENT, DESCRIPTION, FINGERPRINT, [KEY, VALUE, ...], [CHILD, ...], OBJECT, OUTCOME]
//
// PARENT is the index of the parent's record (-1 for the installation itself), CHILD the
// description of each child without a record of its own, OBJECT the engine's name of the node
// (names gives it by id) or null, OUTCOME what after (the installation after the run) holds of
// it, or null when the run removed it. An ancestor of a read entry that was not read itself is
// [PARENT, DESCRIPTION, null]. Then, as "added", one [PARENT, DESCRIPTION, OUTCOME] for each
// entry the run added, PARENT counting the records of "nodes" first.
std::string FingerprintRecords(const Site& before, Site& after, const std::vector<bool>& read,
                               const std::unordered_map<uint64_t, std::string>& names);

// Compares a record (the JSON object of HXO_GetPlanRecord: its "nodes" and "added") with the
// installation now: one line per difference, in the list's order ("~ hq: POLL_INTERVAL \"60\" ->
// \"45\" since the plan", "+ dsm1: Target 10.2.9.9@public added since the plan", "- Target
// 10.2.0.1@public: gone since the plan"); empty when nothing drifted, with planned filled in. None
// when recorded is not such a record. padding readable bytes of any value follow recorded: with
// enough of them for the JSON reader, the record is read where it lies, else from a copy.
std::optional<std::string> Drift(const Site& now, std::string_view recorded, size_t padding,
                                 PlannedOutcome& planned);

}  // namespace sim
