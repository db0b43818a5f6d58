#include "sim/fingerprint.h"

#include <array>
#include <charconv>
#include <cstdio>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "sim/identity.h"
#include "sim/json_text.h"
#include "sim/plan_outcome.h"

namespace sim {
namespace {

// Writes a saved plan's records (see FingerprintRecords).
class RecordWriter {
 public:
  RecordWriter(const Site& before, Site& after, const std::vector<bool>& read,
               const std::unordered_map<uint64_t, std::string>& names)
      : after(after),
        readIds(read),
        names(names),
        withRecord(before.byId.size(), false),
        recordOf(before.byId.size(), -1) {}

  // Marks the entries that get a record: those read and their ancestors. True when entry has one.
  bool MarkRecorded(const Entry& entry) {
    bool recorded = IsRead(entry);
    ForEachChild(entry, [&](const Entry& child) { recorded = MarkRecorded(child) || recorded; });
    if (recorded && entry.id < withRecord.size()) withRecord[entry.id] = true;
    return recorded;
  }

  // Writes the records of entry and everything below it; parent is the index of its parent's.
  void Walk(const Entry& entry, int64_t parent) {
    if (!HasRecord(entry)) return;
    const int64_t index = count++;
    if (IsRead(entry)) {
      WriteRead(entry, parent, index);
    } else {
      Begin(parent, entry);
      out += ", null]";
    }
    ForEachChild(entry, [&](const Entry& child) { Walk(child, index); });
  }

  std::string Finish() {
    std::string added;
    for (const AddedEntry& entry : AddedEntries(after, recordOf, count)) {
      added += added.empty() ? "\n[" : ",\n[";
      added += std::to_string(entry.parent) + ", ";
      AppendJsonString(added, entry.description);
      added += ", \"" + entry.outcome.Hex() + "\"]";
    }
    return "{\"format\": " + std::to_string(kPlanRecordFormat) + ",\n\"nodes\": [" + out +
           (out.empty() ? "]" : "\n]") + ",\n\"added\": [" + added +
           (added.empty() ? "]}" : "\n]}");
  }

 private:
  template <class Visit>
  static void ForEachChild(const Entry& entry, Visit visit) {
    if (entry.Details().autoconfig) visit(*entry.Details().autoconfig);
    for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
      if (child != nullptr) visit(*child);
    }
  }

  bool IsRead(const Entry& entry) const { return entry.id < readIds.size() && readIds[entry.id]; }
  bool HasRecord(const Entry& entry) const {
    return entry.id < withRecord.size() && withRecord[entry.id];
  }

  void Begin(int64_t parent, const Entry& entry) {
    out += out.empty() ? "\n[" : ",\n[";
    out += std::to_string(parent) + ", ";
    AppendJsonString(out, entry.kind == Kind::Root ? std::string() : Describe(entry));
  }

  void WriteRead(const Entry& entry, int64_t parent, int64_t index) {
    const ChildDescriptions children = DescribeChildren(entry);
    const std::string description = Describe(entry);
    Begin(parent, entry);
    out += ", \"" + Fingerprint(entry, description, children).Hex() + "\", [";
    bool first = true;
    for (const auto& [key, value] : entry.properties) {
      out += first ? "" : ", ";
      first = false;
      AppendJsonString(out, key);
      out += ", ";
      AppendJsonString(out, value);
    }
    out += "], [";
    first = true;
    for (size_t i = 0; i < children.size(); ++i) {
      if (HasRecord(*children.entries[i])) continue;
      out += first ? "" : ", ";
      first = false;
      AppendJsonString(out, children[i]);
    }
    out += "], ";
    // A name that is not UTF-8 (a script's bytes) cannot be a JSON text: the path names the node.
    if (auto name = names.find(entry.id); name != names.end() && IsValidUtf8(name->second)) {
      AppendJsonString(out, name->second);
    } else {
      out += "null";
    }
    recordOf[entry.id] = index;
    std::shared_ptr<Entry> left = after.FindById(entry.id);
    if (left == nullptr) {
      out += ", null]";
      return;
    }
    const EntryAsFound found{&entry.Details().journal, entry.Details().password};
    const Digest128 outcome =
        Outcome(*left, description, DescribeChildren(*left), found, after.firstAddedId);
    out += ", \"" + outcome.Hex() + "\"]";
  }

  Site& after;
  const std::vector<bool>& readIds;
  const std::unordered_map<uint64_t, std::string>& names;
  std::vector<bool> withRecord;   // by id of the installation as loaded
  std::vector<int64_t> recordOf;  // by id, the records of the entries read
  int64_t count = 0;
  std::string out;
};

}  // namespace

void AddFingerprintField(std::string& input, std::string_view text) {
  // The length and its ':' appended at once, and each by pointer and count: the overloads of a
  // pointer range or a repeated character go the long way, through replace, for every field.
  char head[24];
  char* end = std::to_chars(head, head + sizeof head - 1, text.size()).ptr;
  *end++ = ':';
  input.append(head, static_cast<size_t>(end - head));
  input.append(text.data(), text.size());
}

void AddEntryFields(std::string& input, std::string_view description, const Entry& entry,
                    const ChildDescriptions& children) {
  AddFingerprintField(input, description);
  AddFingerprintField(input, entry.local ? "local" : "");
  AddFingerprintField(input, std::to_string(entry.properties.size()));
  for (const auto& [key, value] : entry.properties) {
    AddFingerprintField(input, key);
    AddFingerprintField(input, value);
  }
  for (size_t i = 0; i < children.size(); ++i) AddFingerprintField(input, children[i]);
}

Digest128 FingerprintDigest(const std::string& input) {
  const XXH128_hash_t hash = XXH3_128bits(input.data(), input.size());
  return {hash.high64, hash.low64};
}

std::string Digest128::Hex() const {
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(high),
                static_cast<unsigned long long>(low));
  return std::string(text, 32);
}

std::optional<Digest128> Digest128::FromHex(std::string_view hex) {
  // Each hexadecimal digit's value by character, -1 for any other; a record holds two digests a
  // node, so this is on the way of every check.
  static const auto kValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<int8_t>(digit);
    for (int digit = 0; digit < 6; ++digit) values['a' + digit] = static_cast<int8_t>(10 + digit);
    return values;
  }();
  auto half = [](const char* digits, uint64_t& value) {
    uint64_t sum = 0;
    int8_t invalid = 0;
    for (size_t i = 0; i < 16; ++i) {
      const int8_t digit = kValues[static_cast<unsigned char>(digits[i])];
      invalid |= digit;  // negative when any digit is not one
      sum = sum << 4 | static_cast<uint64_t>(digit & 15);
    }
    value = sum;
    return invalid >= 0;
  };
  Digest128 digest;
  if (hex.size() != 32 || !half(hex.data(), digest.high) || !half(hex.data() + 16, digest.low)) {
    return std::nullopt;
  }
  return digest;
}

void ChildDescriptions::Add(const Entry& child) {
  AppendDescription(text, child);
  ends.push_back(text.size());
  entries.push_back(&child);
}

ChildDescriptions DescribeChildren(const Entry& entry) {
  ChildDescriptions children;
  const Entry* autoconfig = entry.Details().autoconfig.get();
  if (autoconfig != nullptr) children.Add(*autoconfig);
  for (const std::shared_ptr<Entry>& child : entry.children.InOrder()) {
    if (child != nullptr) children.Add(*child);
  }
  return children;
}

std::string& FingerprintInput() {
  // Kept, so that its memory serves every entry, of both kinds of fingerprint: a DSM's children
  // make it megabytes.
  static std::string input;
  input.clear();
  return input;
}

Digest128 Fingerprint(const Entry& entry, std::string_view description,
                      const ChildDescriptions& children) {
  std::string& input = FingerprintInput();
  AddEntryFields(input, description, entry, children);
  return FingerprintDigest(input);
}

std::string FingerprintRecords(const Site& before, Site& after, const std::vector<bool>& read,
                               const std::unordered_map<uint64_t, std::string>& names) {
  RecordWriter writer(before, after, read, names);
  writer.MarkRecorded(*before.root);
  writer.Walk(*before.root, -1);
  return writer.Finish();
}

}  // namespace sim
