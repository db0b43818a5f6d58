// Comparing two installations entry by entry through their identity keys.
#include "sim/plan.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "sim/identity.h"
#include "sim/json_text.h"

namespace sim {

std::optional<Rules> ParseRules(std::optional<std::string_view> text) {
  Rules rules;
  if (!text) return rules;
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text->size()) {
    size_t end = text->find(' ', at);
    if (end == std::string_view::npos) end = text->size();
    if (end > at) words.emplace_back(text->data() + at, end - at);
    at = end + 1;
  }
  if (words.size() % 2 != 0) return std::nullopt;
  for (size_t i = 0; i < words.size(); i += 2) {
    int64_t number = 0;
    auto [end, error] = std::from_chars(words[i].data(), words[i].data() + words[i].size(), number);
    if (error != std::errc() || end != words[i].data() + words[i].size()) return std::nullopt;
    rules[number] = std::string(words[i + 1]);
  }
  return rules;
}

namespace {

// A value on one side of a change: none when it is not set there.
using Value = std::optional<std::string_view>;

template <class Key>
Value Lookup(const std::map<Key, std::string>& map, const Key& key) {
  auto found = map.find(key);
  return found == map.end() ? Value() : Value(found->second);
}

class Planner {
 public:
  Planner(bool json, uint64_t firstAddedId) : asJson(json), firstAdded(firstAddedId) {
    if (asJson) out = "{\"format\": 1, \"changes\": [";
  }

  // Compares two entries of the same identity; before is null for an added entry.
  void Compare(const Entry* before, const Entry& after) {
    Properties(before, after);
    const std::string& password = after.Details().password;
    if (before == nullptr ? !password.empty() : before->Details().password != password) {
      Line(
          "password", [](std::string& text) { text += "~ password: changed"; }, nullptr);
    }
    Commands(before, after);
    const Entry* autoconfig = after.Details().autoconfig.get();
    const Entry* autoconfigBefore = before ? before->Details().autoconfig.get() : nullptr;
    if (autoconfig != nullptr || autoconfigBefore != nullptr) {
      Child(autoconfigBefore, autoconfig);
    }
    size_t kept = 0;  // children of before that after still has
    if (before != nullptr) {
      for (const std::shared_ptr<Entry>& child : before->children.InOrder()) {
        if (child == nullptr) continue;  // a place left by a removed child
        const Entry* now = after.children.Find(IdentityKey(*child));
        if (now != nullptr && Added(*now)) now = nullptr;  // replaced: removed here, added below
        kept += now != nullptr;
        Child(child.get(), now);
      }
    }
    if (kept == after.children.size()) return;  // nothing was added
    for (const std::shared_ptr<Entry>& child : after.children.InOrder()) {
      if (child == nullptr) continue;
      if (before == nullptr || Added(*child) ||
          before->children.Find(IdentityKey(*child)) == nullptr) {
        Child(nullptr, child.get());
      }
    }
  }

  size_t changes() const { return changeCount; }

  std::string Finish() {
    if (asJson) return out + (changeCount == 0 ? "]}\n" : "\n]}\n");
    return changeCount == 0 ? "No changes.\n" : out;
  }

 private:
  // Enters a child present before, after or both.
  void Child(const Entry* before, const Entry* after) {
    openPath.push_back(Describe(after != nullptr ? *after : *before));
    // An addition or removal is a line of the parent's block.
    if (after == nullptr) {
      Line(
          "remove", [&](std::string& text) { text += "- " + openPath.back(); }, nullptr, 1);
    } else {
      if (before == nullptr) {
        Line(
            "add", [&](std::string& text) { text += "+ " + openPath.back(); }, nullptr, 1);
        headersPrinted = openPath.size();  // the added line stands for the header
      }
      Compare(before, *after);
    }
    openPath.pop_back();
    if (headersPrinted > openPath.size()) headersPrinted = openPath.size();
  }

  void Properties(const Entry* before, const Entry& after) {
    static const TextMap kNone;
    const auto& old = before ? before->properties : kNone;
    auto a = old.begin();
    auto b = after.properties.begin();
    while (a != old.end() || b != after.properties.end()) {
      const std::string_view name =
          (b == after.properties.end() || (a != old.end() && (*a).first < (*b).first)) ? (*a).first
                                                                                       : (*b).first;
      // Both sides are in key order: a key is on the side whose next item has it.
      Value was, now;
      if (a != old.end() && (*a).first == name) was = (*a).second, ++a;
      if (b != after.properties.end() && (*b).first == name) now = (*b).second, ++b;
      if (was && now && *was == *now) continue;
      if (name == "qpk_own" || name == "qpk_inherited") {
        std::optional<Rules> wasRules = ParseRules(was), nowRules = ParseRules(now);
        if (wasRules && nowRules) {
          RuleChanges(name == "qpk_own" ? "rule " : "inherited rule ", *wasRules, *nowRules);
          continue;
        }
      }
      Change("set", name, was, now, [&](std::string& text) {
        text += "\"name\": ";
        AppendJsonString(text, name);
      });
    }
  }

  void RuleChanges(const char* label, const Rules& was, const Rules& now) {
    Rules all = was;
    all.insert(now.begin(), now.end());
    for (const auto& entry : all) {
      const auto number = entry.first;  // a plain variable: lambdas below capture it
      const Value a = Lookup(was, number);
      const Value b = Lookup(now, number);
      if (a && b && *a == *b) continue;
      Change("rule", label + std::to_string(number), a, b, [&](std::string& text) {
        text += "\"rule\": " + std::to_string(number) + ", \"inherited\": ";
        text += label[0] == 'i' ? "true" : "false";
      });
    }
  }

  template <class Fields>
  void Change(const char* op, std::string_view name, Value was, Value now, Fields fields) {
    const bool rule = op[0] == 'r';
    Line(
        op,
        [&](std::string& text) {
          text += "~ ";
          text += name;
          text += ": ";
          Append(text, was, rule);
          text += " -> ";
          Append(text, now, rule);
        },
        [&](std::string& text) {
          fields(text);
          if (was) text += ", \"old\": ", AppendJsonString(text, *was);
          if (now) text += ", \"new\": ", AppendJsonString(text, *now);
        });
  }

  static void Append(std::string& text, Value value, bool bare) {
    if (!value)
      text += "(unset)";
    else if (bare)
      text += *value;
    else
      AppendJsonString(text, *value);
  }

  // An entry the run made, after the load: one of the same identity before it is not the same
  // entry but one that the run deleted.
  bool Added(const Entry& entry) const { return entry.id >= firstAdded; }

  void Commands(const Entry* before, const Entry& after) {
    static const std::vector<std::string> kNone;
    const std::vector<std::string>& was = before ? before->Details().journal : kNone;
    for (std::string_view command : CommandsSent(was, after.Details().journal)) {
      Line(
          "command",
          [&](std::string& text) {
            text += "> ";
            text += command;
          },
          [&](std::string& text) {
            text += "\"command\": ";
            AppendJsonString(text, command);
          });
    }
  }

  // One change of the node at the end of openPath: in text, the headers not yet printed, then the
  // line in the block of the node up (0) or of its parent (1); in JSON, one object.
  template <class TextLine, class JsonFields>
  void Line(const char* op, TextLine textLine, JsonFields jsonFields, size_t up = 0) {
    ++changeCount;
    if (asJson) {
      out += changeCount == 1 ? "\n" : ",\n";
      out += "{\"op\": \"";
      out += op;
      out += "\", \"path\": [";
      for (size_t i = 0; i < openPath.size(); ++i) {
        if (i != 0) out += ", ";
        AppendJsonString(out, openPath[i]);
      }
      out += "]";
      if constexpr (!std::is_same_v<JsonFields, std::nullptr_t>) {
        out += ", ";
        jsonFields(out);
      }
      out += "}";
      return;
    }
    const size_t depth = openPath.size() - up;
    for (size_t i = headersPrinted; i < depth; ++i) {
      out.append(i * 2, ' ');
      out += openPath[i];
      out += '\n';
    }
    if (headersPrinted < depth) headersPrinted = depth;
    out.append(depth * 2, ' ');
    textLine(out);
    out += '\n';
  }

  bool asJson;
  uint64_t firstAdded;
  std::string out;
  std::vector<std::string> openPath;  // the node being compared and its ancestors (root excluded)
  size_t headersPrinted = 0;          // how many of openPath have their header line printed
  size_t changeCount = 0;
};

}  // namespace

std::vector<std::string_view> CommandsSent(const std::vector<std::string>& was,
                                           const std::vector<std::string>& now) {
  // A journal only grows, so the commands sent are what follows the old journal. A journal that
  // does not begin with the old one is a new entry's (of two files, nothing else tells).
  const bool grown = was.size() <= now.size() && std::equal(was.begin(), was.end(), now.begin());
  std::vector<std::string_view> sent;
  std::unordered_set<std::string_view> seen;
  for (size_t i = grown ? was.size() : 0; i < now.size(); ++i) {
    if (seen.insert(now[i]).second) sent.push_back(now[i]);
  }
  return sent;
}

std::string PlanText(const Site& before, const Site& after, bool json, size_t* changes) {
  Planner planner(json, after.firstAddedId);
  planner.Compare(before.root.get(), *after.root);
  if (changes != nullptr) *changes = planner.changes();
  return planner.Finish();
}

}  // namespace sim
