// What changed in the installation since a plan recorded the fingerprints of the nodes it read.
#include <simdjson.h>

#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/in_place_text.h"
#include "sim/json_text.h"
#include "sim/plan.h"
#include "sim/plan_outcome.h"

namespace sim {
namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using Value = std::optional<std::string_view>;

std::string_view Text(element value) { return value.get_string().value_unsafe(); }

// The children of an entry that records are found among. Records come in tree order, which is
// the children's order unless the installation changed: a cursor finds each at once, and an index
// by description, made on the first miss, the rest.
struct ChildFinder {
  ChildDescriptions children;
  size_t next = 0;
  std::unordered_map<std::string_view, size_t> byDescription;

  const Entry* Find(std::string_view description) {
    if (next < children.size() && children[next] == description) {
      return children.entries[next++];
    }
    if (byDescription.empty()) {
      for (size_t i = 0; i < children.size(); ++i) byDescription.emplace(children[i], i);
    }
    auto found = byDescription.find(description);
    return found == byDescription.end() ? nullptr : children.entries[found->second];
  }
};

void AppendValue(std::string& out, Value value, bool bare) {
  if (!value) {
    out += "(unset)";
  } else if (bare) {
    out += *value;
  } else {
    AppendJsonString(out, *value);
  }
}

// Names what differs between a record whose fingerprint no longer matches and its entry now.
class DriftWriter {
 public:
  // The node that the lines from now on are about.
  void Name(std::string node) { name = std::move(node); }

  void Properties(array recorded, const Entry& now) {
    std::map<std::string, std::pair<Value, Value>> values;  // name -> (then, now)
    for (auto item = recorded.begin(); item != recorded.end(); ++item) {
      const std::string_view key = Text(*item);
      values[std::string(key)].first = Text(*++item);
    }
    for (const auto& [key, value] : now.properties) values[std::string(key)].second = value;
    for (const auto& [key, change] : values) {
      const auto& [was, is] = change;
      if (was && is && *was == *is) continue;
      if (key == "qpk_own" || key == "qpk_inherited") {
        std::optional<Rules> wasRules = ParseRules(was), isRules = ParseRules(is);
        if (wasRules && isRules) {
          RuleChanges(key == "qpk_own" ? "rule " : "inherited rule ", *wasRules, *isRules);
          continue;
        }
      }
      Change(key, was, is, false);
    }
  }

  void Children(const std::set<std::string_view>& was, const ChildDescriptions& now) {
    std::set<std::string_view> is;
    for (size_t i = 0; i < now.size(); ++i) is.insert(now[i]);
    for (std::string_view child : was) {
      if (is.count(child) == 0) Line("- ", std::string(child) + " removed");
    }
    for (std::string_view child : is) {
      if (was.count(child) == 0) Line("+ ", std::string(child) + " added");
    }
  }

  void Line(const char* mark, const std::string& what) {
    out += mark + name + ": " + what + " since the plan\n";
  }

  size_t size() const { return out.size(); }
  std::string Finish() { return std::move(out); }

 private:
  void RuleChanges(const std::string& label, const Rules& was, const Rules& is) {
    std::set<int64_t> numbers;
    for (const auto& rule : was) numbers.insert(rule.first);
    for (const auto& rule : is) numbers.insert(rule.first);
    for (int64_t number : numbers) {
      auto a = was.find(number), b = is.find(number);
      const Value before = a == was.end() ? Value() : Value(a->second);
      const Value after = b == is.end() ? Value() : Value(b->second);
      if (before != after) Change(label + std::to_string(number) + ":", before, after, true);
    }
  }

  void Change(const std::string& what, Value was, Value is, bool bare) {
    out += "~ " + name + ": " + what + " ";
    AppendValue(out, was, bare);
    out += " -> ";
    AppendValue(out, is, bare);
    out += " since the plan\n";
  }

  std::string name;
  std::string out;
};

bool IsDigest(element value) {
  std::string_view text;
  return !value.get(text) && Digest128::FromHex(text).has_value();
}

bool IsTextList(element value, bool pairs) {
  array list;
  if (value.get(list) || (pairs && list.size() % 2 != 0)) return false;
  for (element item : list) {
    if (!item.is_string()) return false;
  }
  return true;
}

// Whether record, the index-th, has the members Drift reads, of the types it reads them as: see
// FingerprintRecords.
bool IsRecord(element record, int64_t index) {
  array members;
  int64_t parent = 0;
  if (record.get(members) || (members.size() != 3 && members.size() != 7) ||
      members.at(0).get(parent) || parent < -1 || parent >= index || !members.at(1).is_string()) {
    return false;
  }
  if (members.size() == 3) return members.at(2).is_null();
  // The digests are read as the records are compared.
  return members.at(2).is_string() && IsTextList(members.at(3).value_unsafe(), true) &&
         IsTextList(members.at(4).value_unsafe(), false) &&
         (members.at(5).is_string() || members.at(5).is_null()) &&
         (members.at(6).is_string() || members.at(6).is_null());
}

bool IsAddedRecord(element record, int64_t records) {
  array members;
  int64_t parent = 0;
  return !record.get(members) && members.size() == 3 && !members.at(0).get(parent) &&
         parent >= -1 && parent < records && members.at(1).is_string() &&
         IsDigest(members.at(2).value_unsafe());
}

// What LeftAsPlanned needs of a record whose entry was found and still holds what was recorded.
void Keep(PlannedOutcome& planned, const Entry& node, int64_t index,
          std::optional<Digest128> outcome) {
  planned.nodes[index] = {!outcome, outcome.value_or(Digest128())};
  planned.kept += outcome.has_value();
  if (node.id < planned.recordOf.size()) planned.recordOf[node.id] = index;
  const EntryDetails& details = node.Details();
  if (!details.journal.empty() || !details.password.empty()) {
    planned.found.emplace(node.id, PlannedOutcome::Found{details.journal, details.password});
  }
}

// A text value of a record. Those written without an escape (descriptions, digests, names, as a
// rule) are read where they lie instead of being copied out; false when value is not a text.
bool GetText(simdjson::ondemand::value value, std::string_view& text) {
  bool escaped = false;
  return ReadText(value, text, escaped);
}

// The common case, read in one pass (simdjson On-Demand: no document is built): every node
// recorded is found and its fingerprint matches. False when anything differs, or the record does
// not read as one; Drift then reads it whole, to check it and name what differs.
class UnchangedCheck {
 public:
  explicit UnchangedCheck(const Site& now) : now(now) {}

  bool Run(simdjson::padded_string_view text, PlannedOutcome& planned) {
    using namespace simdjson;
    ondemand::parser parser;
    ondemand::document document;
    ondemand::object record;
    if (parser.iterate(text).get(document) || document.get_object().get(record)) return false;
    bool formatRead = false, nodesRead = false, addedRead = false;
    planned = PlannedOutcome();
    planned.recordOf.assign(now.byId.size(), -1);
    // A record names an entry of the installation, as a rule: room for as many, reserved, not
    // touched until used.
    planned.nodes.reserve(now.byId.size());
    found.reserve(now.byId.size());
    finders.reserve(now.byId.size());
    for (auto member : record) {
      std::string_view key;
      ondemand::value value;
      if (member.unescaped_key().get(key) || member.value().get(value)) return false;
      if (key == "format") {
        int64_t format = 0;
        if (value.get_int64().get(format) || format != kPlanRecordFormat) return false;
        formatRead = true;
      } else if (key == "nodes") {
        if (!EachList(value, [&](ondemand::array fields) { return Node(fields, planned); })) {
          return false;
        }
        nodesRead = true;
      } else if (key == "added") {
        if (!EachList(value, [&](ondemand::array fields) { return Added(fields, planned); })) {
          return false;
        }
        addedRead = true;
      }
    }
    return formatRead && nodesRead && addedRead;
  }

 private:
  // Reads each list of the list value with read; false when one is not a list or read fails.
  template <class Read>
  static bool EachList(simdjson::ondemand::value value, Read read) {
    simdjson::ondemand::array lists;
    if (value.get_array().get(lists)) return false;
    for (auto item : lists) {
      simdjson::ondemand::array fields;
      if (item.get_array().get(fields) || !read(fields)) return false;
    }
    return true;
  }

  // One record: [PARENT, DESCRIPTION, FINGERPRINT, [TEXTS], [TEXTS], OBJECT, OUTCOME] or
  // [PARENT, DESCRIPTION, null].
  bool Node(simdjson::ondemand::array fields, PlannedOutcome& planned) {
    using namespace simdjson;
    const auto index = static_cast<int64_t>(found.size());
    int64_t parent = 0;
    std::string_view description, fingerprint, outcome, name;
    bool pathOnly = false, removed = false;
    size_t count = 0;
    for (auto field : fields) {
      ondemand::value value;
      if (field.get(value)) return false;
      bool isNull = false;
      switch (count++) {
        case 0:
          if (value.get_int64().get(parent) || parent < -1 || parent >= index) return false;
          break;
        case 1:
          if (!GetText(value, description)) return false;
          break;
        case 2:
          if (value.is_null().get(pathOnly)) return false;
          if (!pathOnly && !GetText(value, fingerprint)) return false;
          break;
        case 3:
        case 4:
          if (!IsTexts(value, count == 4)) return false;
          break;
        case 5:
          if (value.is_null().get(isNull) || (!isNull && !GetText(value, name))) return false;
          break;
        case 6:
          if (value.is_null().get(removed)) return false;
          if (!removed && !GetText(value, outcome)) return false;
          break;
        default:
          return false;
      }
    }
    if (count != (pathOnly ? 3 : 7)) return false;
    const Entry* entry = parent < 0                   ? now.root.get()
                         : finders[parent] == nullptr ? nullptr
                                                      : finders[parent]->Find(description);
    found.push_back(entry);
    finders.emplace_back();
    planned.nodes.emplace_back();
    if (entry == nullptr) return false;  // gone: Drift names it
    if (entry->children.size() != 0 || entry->Details().autoconfig) {
      finders.back() = std::make_unique<ChildFinder>();
      finders.back()->children = DescribeChildren(*entry);
    }
    if (pathOnly) return true;
    static const ChildDescriptions kNoChildren;
    const ChildDescriptions& children =
        finders.back() != nullptr ? finders.back()->children : kNoChildren;
    const std::string root = parent < 0 ? Describe(*entry) : std::string();
    const std::optional<Digest128> recorded = Digest128::FromHex(fingerprint);
    const std::optional<Digest128> left = removed ? std::nullopt : Digest128::FromHex(outcome);
    if (!recorded || (!removed && !left) ||
        *recorded != Fingerprint(*entry, parent < 0 ? root : description, children)) {
      return false;
    }
    Keep(planned, *entry, index, left);
    return true;
  }

  bool Added(simdjson::ondemand::array fields, PlannedOutcome& planned) {
    AddedEntry added;
    std::string_view description, outcome;
    size_t count = 0;
    for (auto field : fields) {
      simdjson::ondemand::value value;
      if (field.get(value)) return false;
      switch (count++) {
        case 0:
          if (value.get_int64().get(added.parent) || added.parent < -1) return false;
          break;
        case 1:
          if (!GetText(value, description)) return false;
          break;
        case 2:
          if (!GetText(value, outcome)) return false;
          break;
        default:
          return false;
      }
    }
    const std::optional<Digest128> digest = Digest128::FromHex(outcome);
    const auto limit = static_cast<int64_t>(found.size() + planned.added.size());
    if (count != 3 || !digest || added.parent >= limit) return false;
    added.description = description;
    added.outcome = *digest;
    planned.added.push_back(std::move(added));
    return true;
  }

  // A list of texts; pairs: of an even number of them.
  static bool IsTexts(simdjson::ondemand::value value, bool pairs) {
    simdjson::ondemand::array list;
    if (value.get_array().get(list)) return false;
    size_t count = 0;
    for (auto item : list) {
      simdjson::ondemand::json_type type;
      if (item.type().get(type) || type != simdjson::ondemand::json_type::string) return false;
      ++count;
    }
    return !pairs || count % 2 == 0;
  }

  const Site& now;
  std::vector<const Entry*> found;  // by record
  std::vector<std::unique_ptr<ChildFinder>> finders;
};

}  // namespace

std::optional<std::string> Drift(const Site& now, std::string_view recorded, size_t padding,
                                 PlannedOutcome& planned) {
  simdjson::padded_string copy;
  simdjson::padded_string_view text;
  if (padding >= simdjson::SIMDJSON_PADDING) {
    text =
        simdjson::padded_string_view(recorded.data(), recorded.size(), recorded.size() + padding);
  } else {
    copy = simdjson::padded_string(recorded);
    text = copy;
  }
  if (UnchangedCheck(now).Run(text, planned)) return std::string();
  simdjson::dom::parser parser;
  simdjson::dom::object record;
  array records, added;
  int64_t format = 0;
  if (parser.parse(text).get(record) || record["format"].get(format) ||
      format != kPlanRecordFormat || record["nodes"].get(records) || record["added"].get(added)) {
    return std::nullopt;
  }
  const auto count = static_cast<int64_t>(records.size());
  int64_t index = 0;
  for (element entry : records) {
    if (!IsRecord(entry, index++)) return std::nullopt;
  }
  index = count;
  for (element entry : added) {
    if (!IsAddedRecord(entry, index++)) return std::nullopt;
  }

  planned = PlannedOutcome();
  planned.nodes.resize(records.size());
  planned.recordOf.assign(now.byId.size(), -1);
  const std::vector<element> list(records.begin(), records.end());
  std::vector<const Entry*> found(list.size(), nullptr);
  std::vector<std::unique_ptr<ChildFinder>> finders(list.size());
  std::vector<std::vector<int64_t>> childRecords;  // by record, made at the first drift
  static const ChildDescriptions kNoChildren;
  DriftWriter writer;
  for (index = 0; index < count; ++index) {
    element fields[7];
    size_t size = 0;
    const array fieldList = list[index].get_array().value_unsafe();
    for (element field : fieldList) fields[size++] = field;
    const int64_t parent = fields[0].get_int64().value_unsafe();
    const std::string_view description = Text(fields[1]);
    const Entry* node = parent < 0                   ? now.root.get()
                        : finders[parent] == nullptr ? nullptr
                                                     : finders[parent]->Find(description);
    found[index] = node;
    if (node != nullptr && (node->children.size() != 0 || node->Details().autoconfig)) {
      finders[index] = std::make_unique<ChildFinder>();
      finders[index]->children = DescribeChildren(*node);
    }
    if (size == 3) continue;  // an ancestor of what was read
    writer.Name(fields[5].is_string() ? std::string(Text(fields[5]))
                : parent < 0          ? std::string("the installation")
                                      : std::string(description));
    if (node == nullptr) {
      writer.Line("- ", "gone");
      continue;
    }
    const ChildDescriptions& children =
        finders[index] != nullptr ? finders[index]->children : kNoChildren;
    const std::optional<Digest128> fingerprint = Digest128::FromHex(Text(fields[2]));
    const std::optional<Digest128> outcome =
        fields[6].is_string() ? Digest128::FromHex(Text(fields[6])) : std::nullopt;
    if (!fingerprint || (fields[6].is_string() && !outcome)) return std::nullopt;
    const std::string root = parent < 0 ? Describe(*node) : std::string();
    if (*fingerprint != Fingerprint(*node, parent < 0 ? root : description, children)) {
      const size_t before = writer.size();
      writer.Properties(fields[3].get_array().value_unsafe(), *node);
      if (childRecords.empty()) {
        childRecords.resize(list.size());
        for (size_t child = 0; child < list.size(); ++child) {
          const int64_t up = list[child].at(0).get_int64().value_unsafe();
          if (up >= 0) childRecords[up].push_back(static_cast<int64_t>(child));
        }
      }
      std::set<std::string_view> was;
      const array unread = fields[4].get_array().value_unsafe();
      for (element child : unread) was.insert(Text(child));
      for (int64_t child : childRecords[index]) was.insert(Text(list[child].at(1).value_unsafe()));
      writer.Children(was, children);
      if (writer.size() == before) writer.Line("~ ", "changed");
    }
    Keep(planned, *node, index, outcome);
  }
  for (element entry : added) {
    const array members = entry.get_array().value_unsafe();
    planned.added.push_back(
        {members.at(0).get_int64().value_unsafe(), std::string(Text(members.at(1).value_unsafe())),
         Digest128::FromHex(Text(members.at(2).value_unsafe())).value_or(Digest128())});
  }
  return writer.Finish();
}

}  // namespace sim
