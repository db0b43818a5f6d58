// What changed in the installation since a plan recorded the fingerprints of the nodes it read.
#include <simdjson.h>

#include <map>
#include <set>
#include <unordered_map>

#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/json_text.h"
#include "sim/plan.h"

namespace sim {
namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;
using Value = std::optional<std::string_view>;

// Finds entries by the path of descriptions a record gives. Each parent's children are indexed
// once, on the first record below it, so that many records under one parent cost one pass.
class PathFinder {
 public:
  explicit PathFinder(const Entry& root) : root(root) {}

  const Entry* Find(array path) {
    const Entry* entry = &root;
    for (element step : path) {
      auto [index, made] = childrenByDescription.try_emplace(entry);
      if (made) {
        if (entry->Details().autoconfig) {
          index->second.emplace(Describe(*entry->Details().autoconfig),
                                entry->Details().autoconfig.get());
        }
        for (const std::shared_ptr<Entry>& child : entry->children.InOrder()) {
          if (child != nullptr) index->second.emplace(Describe(*child), child.get());
        }
      }
      auto found = index->second.find(std::string(step.get_string().value_unsafe()));
      if (found == index->second.end()) return nullptr;
      entry = found->second;
    }
    return entry;
  }

 private:
  const Entry& root;
  std::unordered_map<const Entry*, std::unordered_map<std::string, const Entry*>>
      childrenByDescription;
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

std::string_view Text(element value) { return value.get_string().value_unsafe(); }

class DriftWriter {
 public:
  void Compare(object record, const Entry* now) {
    const array path = record["path"].get_array().value_unsafe();
    element named;
    name = !record["object"].get(named) ? std::string(Text(named))
           : path.size() == 0           ? std::string("the installation")
                              : std::string(Text(path.at(path.size() - 1).value_unsafe()));
    if (now == nullptr) {
      Line("- ", "gone");
      return;
    }
    if (Text(record["fingerprint"].value_unsafe()) == Fingerprint(*now)) return;
    const size_t before = out.size();
    Properties(record["properties"].get_object().value_unsafe(), *now);
    Children(record["children"].get_array().value_unsafe(), *now);
    if (out.size() == before) Line("~ ", "changed");
  }

  std::string Finish() { return std::move(out); }

 private:
  void Properties(object recorded, const Entry& now) {
    std::map<std::string, std::pair<Value, Value>> values;  // name -> (then, now)
    for (auto [key, value] : recorded) values[std::string(key)].first = Text(value);
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

  void Children(array recorded, const Entry& now) {
    std::set<std::string> was;
    for (element child : recorded) was.emplace(Text(child));
    std::set<std::string> is;
    if (now.Details().autoconfig) is.insert(Describe(*now.Details().autoconfig));
    for (const std::shared_ptr<Entry>& child : now.children.InOrder()) {
      if (child != nullptr) is.insert(Describe(*child));
    }
    for (const std::string& child : was) {
      if (is.count(child) == 0) Line("- ", child + " removed");
    }
    for (const std::string& child : is) {
      if (was.count(child) == 0) Line("+ ", child + " added");
    }
  }

  void Line(const char* mark, const std::string& what) {
    out += mark + name + ": " + what + " since the plan\n";
  }

  std::string name;
  std::string out;
};

// Whether record has the members Compare reads, of the types it reads them as.
bool IsRecord(element record) {
  object members;
  array path, children;
  object properties;
  std::string_view fingerprint;
  if (record.get(members) || members["path"].get(path) || members["fingerprint"].get(fingerprint) ||
      members["properties"].get(properties) || members["children"].get(children)) {
    return false;
  }
  element name;
  if (!members["object"].get(name) && !name.is_string()) return false;
  for (element step : path) {
    if (!step.is_string()) return false;
  }
  for (auto [key, value] : properties) {
    if (!value.is_string()) return false;
  }
  for (element child : children) {
    if (!child.is_string()) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> Drift(const Site& now, std::string_view recorded) {
  simdjson::dom::parser parser;
  const simdjson::padded_string text(recorded);
  array records;
  if (parser.parse(text).get(records)) return std::nullopt;
  for (element record : records) {
    if (!IsRecord(record)) return std::nullopt;
  }
  PathFinder finder(*now.root);
  DriftWriter writer;
  for (element record : records) {
    const object members = record.get_object().value_unsafe();
    writer.Compare(members, finder.Find(members["path"].get_array().value_unsafe()));
  }
  return writer.Finish();
}

}  // namespace sim
