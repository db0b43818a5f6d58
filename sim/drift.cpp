// What changed in the installation since a plan recorded the fingerprints of the nodes it read.
#include <map>
#include <set>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "sim/fingerprint.h"
#include "sim/identity.h"
#include "sim/json_text.h"
#include "sim/plan.h"

namespace sim {
namespace {

using Json = nlohmann::json;
using Value = std::optional<std::string_view>;

// Finds entries by the path of descriptions a record gives. Each parent's children are indexed
// once, on the first record below it, so that many records under one parent cost one pass.
class PathFinder {
 public:
  explicit PathFinder(const Entry& root) : root_(root) {}

  const Entry* Find(const Json& path) {
    const Entry* entry = &root_;
    for (const Json& step : path) {
      if (!step.is_string()) return nullptr;
      auto [index, made] = children_.try_emplace(entry);
      if (made) {
        if (entry->autoconfig)
          index->second.emplace(Describe(*entry->autoconfig), entry->autoconfig.get());
        for (const std::shared_ptr<Entry>& child : entry->children.InOrder()) {
          if (child != nullptr) index->second.emplace(Describe(*child), child.get());
        }
      }
      auto found = index->second.find(step.get_ref<const std::string&>());
      if (found == index->second.end()) return nullptr;
      entry = found->second;
    }
    return entry;
  }

 private:
  const Entry& root_;
  std::unordered_map<const Entry*, std::unordered_map<std::string, const Entry*>> children_;
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

class DriftWriter {
 public:
  void Compare(const Json& record, const Entry* now) {
    const Json& path = record["path"];
    name_ = record.contains("object") ? record["object"].get<std::string>()
            : path.empty()            ? std::string("the installation")
                                      : path.back().get<std::string>();
    if (now == nullptr) {
      Line("- ", "gone");
      return;
    }
    if (record["fingerprint"] == Fingerprint(*now)) return;
    const size_t before = out_.size();
    Properties(record["properties"], *now);
    Children(record["children"], *now);
    if (out_.size() == before) Line("~ ", "changed");
  }

  std::string Finish() { return std::move(out_); }

 private:
  void Properties(const Json& recorded, const Entry& now) {
    std::map<std::string, std::pair<Value, Value>> values;  // name -> (then, now)
    for (const auto& [key, value] : recorded.items()) {
      values[key].first = value.get_ref<const std::string&>();
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
    out_ += "~ " + name_ + ": " + what + " ";
    AppendValue(out_, was, bare);
    out_ += " -> ";
    AppendValue(out_, is, bare);
    out_ += " since the plan\n";
  }

  void Children(const Json& recorded, const Entry& now) {
    std::set<std::string> was;
    for (const Json& child : recorded) was.insert(child.get<std::string>());
    std::set<std::string> is;
    if (now.autoconfig) is.insert(Describe(*now.autoconfig));
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
    out_ += mark + name_ + ": " + what + " since the plan\n";
  }

  std::string name_;
  std::string out_;
};

// Whether record has the members Compare reads, of the types it reads them as.
bool IsRecord(const Json& record) {
  if (!record.is_object() || !record.contains("path") || !record["path"].is_array() ||
      !record.contains("fingerprint") || !record["fingerprint"].is_string() ||
      !record.contains("properties") || !record["properties"].is_object() ||
      !record.contains("children") || !record["children"].is_array()) {
    return false;
  }
  if (record.contains("object") && !record["object"].is_string()) return false;
  for (const Json& step : record["path"]) {
    if (!step.is_string()) return false;
  }
  for (const auto& item : record["properties"].items()) {
    if (!item.value().is_string()) return false;
  }
  for (const Json& child : record["children"]) {
    if (!child.is_string()) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> Drift(const Site& now, std::string_view recorded) {
  const Json records = Json::parse(recorded, nullptr, false);
  if (!records.is_array()) return std::nullopt;
  for (const Json& record : records) {
    if (!IsRecord(record)) return std::nullopt;
  }
  PathFinder finder(*now.root);
  DriftWriter writer;
  for (const Json& record : records) writer.Compare(record, finder.Find(record["path"]));
  return writer.Finish();
}

}  // namespace sim
