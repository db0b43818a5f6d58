// Writing the inverse of a run as a script: a walk over the installation before and after it,
// entry by entry through their identity keys, as the plan compares them.
#include "sim/undo_script.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include "sim/identity.h"
#include "sim/plan.h"

namespace sim {
namespace {

constexpr std::string_view kOwnRules = "qpk_own";
constexpr std::string_view kInheritedRules = "qpk_inherited";
constexpr std::string_view kExclude = "EXCLUDE";
constexpr size_t kRoomPerEntry = 128;

// A word the tokenizer gives back as it is: not empty, no blanks or line ends.
bool IsWord(std::string_view text) {
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return false;
  }
  return !text.empty();
}

// A value that SET gives back exactly: the rest of its line keeps inner blanks but not those at
// either end, and a line end ends it.
bool IsSettable(std::string_view value) {
  return !value.empty() && value.find_first_of("\r\n") == std::string_view::npos &&
         value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
         value.back() != '\t';
}

// A rule value QPK can set: what COMMIT writes, a number from 0 to 10.
bool IsRuleValue(std::string_view text) {
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 10;
}

class UndoWriter {
 public:
  // entries: how many the installation holds, for the room the script's lines take.
  UndoWriter(const Site& after, size_t entries)
      : afterSite(after), firstAddedId(after.firstAddedId), server(after.server) {
    // A changed target takes three lines of about a hundred bytes in all. Room that the lines do
    // not fill is never touched, so it costs no memory; growing instead would copy megabytes
    // into fresh memory at each doubling.
    commands.reserve(entries * kRoomPerEntry);
  }

  // Restores before on after, two entries of the same identity that the run kept.
  void Walk(const Entry& before, const Entry& after) {
    if (after.kind != Kind::Root) path.push_back(Frame{&after, {}});
    Edits edits;
    Properties(before, after, after, edits);
    Commit(edits, before);
    if (before.Details().password != after.Details().password) PasswordChanged(after);
    Commands(before, after);
    if (before.children.size() != 0 || after.children.size() != 0 || before.Details().autoconfig ||
        after.Details().autoconfig) {
      Children(before, after);
    }
    if (after.kind != Kind::Root) path.pop_back();
  }

  // Restores what before held below it on after.
  void Children(const Entry& before, const Entry& after) {
    inheritedByDepth.push_back(InheritedBelow(before));
    const std::shared_ptr<Entry>& wasAutoconfig = before.Details().autoconfig;
    const std::shared_ptr<Entry>& nowAutoconfig = after.Details().autoconfig;
    if (wasAutoconfig && nowAutoconfig) {
      Walk(*wasAutoconfig, *nowAutoconfig);
    } else if (wasAutoconfig) {
      Lost(*wasAutoconfig, after, "no command creates an autoconfig object");
    } else if (nowAutoconfig) {
      Delete(*nowAutoconfig);
    }
    // The entries the run added go first, so that one it deleted and added back can come back
    // as it was.
    for (const std::shared_ptr<Entry>& child : after.children.InOrder()) {
      if (child != nullptr && Added(*child)) Delete(*child);
    }
    for (const std::shared_ptr<Entry>& child : before.children.InOrder()) {
      if (child == nullptr) continue;
      const Entry* now = SameEntry(*child, after);
      if (now == nullptr) now = after.children.Find(IdentityKey(*child));
      if (now == nullptr || Added(*now)) {
        AddBack(*child, after);
      } else {
        Walk(*child, *now);
      }
    }
    inheritedByDepth.pop_back();
  }

  UndoScript Finish() {
    std::string heading =
        "# What this script cannot restore:\n"
        "#   - passwords: none is ever read, so none is set back;\n"
        "#   - commands sent to the nodes: they cannot be unsent;\n"
        "#   - properties the run added: they are emptied (UNSET), as no command removes one;\n";
    for (const std::string& note : notes) heading += "#   - " + note + ";\n";
    heading.replace(heading.size() - 2, 1, ".");
    heading += "\n";
    if (commands.empty()) commands = "# The run changed nothing that a script can restore.\n";
    UndoScript script;
    // In front of the lines, in the room they were given: no copy of megabytes elsewhere.
    script.text = std::move(commands.insert(0, heading));
    script.lost = std::move(lost);
    return script;
  }

 private:
  // The subcommands (after "name.") that restore one object, and whether it needs a commit for
  // the inherited rule values alone.
  struct Edits {
    std::string lines;  // each ending in '\n'
    bool inherited = false;

    void Add(std::string_view command, std::string_view name, std::string_view value = {}) {
      lines.append(command).append(name);
      if (!value.empty()) lines.append(1, ' ').append(value);
      lines += '\n';
    }
  };

  // One entry on the way down from an agent, and the name it is declared under once it is.
  struct Frame {
    const Entry* entry;
    std::string name;
    bool unnamed = false;  // found not to be nameable in a command (and said so)
  };

  bool Added(const Entry& entry) const { return entry.id >= firstAddedId; }

  // The child of after that stands for before's child when the run kept it: the entry of the
  // same id under after with the same identifying fields (the child Find gives for its key, as
  // siblings differ in their keys), else null. Both installations were read from the same text,
  // so the id is its place in it: this spares making a key for every child of a large DSM.
  const Entry* SameEntry(const Entry& child, const Entry& after) const {
    if (child.id >= afterSite.byId.size() || (child.kind == Kind::Dsm && child.name.empty())) {
      return nullptr;
    }
    const std::shared_ptr<Entry> now = afterSite.byId[child.id].lock();
    if (!now || now->parent != &after || now->kind != child.kind || now->port != child.port ||
        std::string_view(now->ipaddr) != std::string_view(child.ipaddr) ||
        std::string_view(now->name) != std::string_view(child.name) ||
        std::string_view(now->community) != std::string_view(child.community)) {
      return nullptr;
    }
    return now.get();
  }

  std::string NewName(Kind kind) {
    static constexpr std::array<char, 6> kPrefixes = {'r', 'a', 'b', 'c', 'd', 't'};
    const size_t index = static_cast<size_t>(kind);
    char name[24] = {kPrefixes[index]};
    return std::string(name, std::to_chars(name + 1, name + sizeof name, ++counts[index]).ptr);
  }

  // Whether the words that find entry are words the tokenizer gives back.
  static bool Nameable(const Entry& entry) {
    switch (entry.kind) {
      case Kind::Dsm:
        return IsWord(entry.name) && !EqualsIgnoringCase(entry.name, "AUTOCONFIG");
      case Kind::Target:
        return IsWord(entry.ipaddr) && IsWord(entry.community);
      case Kind::Agent:
      case Kind::Broker:
        return IsWord(entry.ipaddr);
      default:
        return true;
    }
  }

  // Declares every entry of path not declared yet (AGENT, SPAWN); false when one cannot be.
  bool Declare() {
    for (size_t i = 0; i < path.size(); ++i) {
      Frame& frame = path[i];
      if (!frame.name.empty()) continue;
      const Entry& entry = *frame.entry;
      if (frame.unnamed || !Nameable(entry)) {
        if (!frame.unnamed) {
          notes.push_back("what the run changed on and below " + Describe(entry) +
                          ": it cannot be named in a command");
        }
        frame.unnamed = true;
        return false;
      }
      if (!entry.Details().password.empty() &&
          (entry.kind == Kind::Agent || entry.kind == Kind::Broker)) {
        commands += "# " + Describe(entry) +
                    " takes a password, never read: write it after the port below.\n";
      }
      frame.name = NewName(entry.kind);
      char port[8];
      const std::string_view portText(
          port, std::to_chars(port, port + sizeof port, entry.port).ptr - port);
      if (entry.kind == Kind::Agent) {
        if (counts[static_cast<size_t>(Kind::Agent)] == 1) {
          commands +=
              "# AGENT authenticates as root without a password; for another user, put\n"
              "# AUTH " +
              server + " USER PASSWORD here.\n";
        }
        commands.append("AGENT ").append(frame.name).append(1, ' ').append(entry.ipaddr);
        commands.append(1, ' ').append(portText).append(1, '\n');
        continue;
      }
      commands.append(path[i - 1].name).append(".SPAWN ").append(frame.name).append(1, ' ');
      switch (entry.kind) {
        case Kind::Broker:
          commands.append(entry.ipaddr).append(1, ' ').append(portText);
          break;
        case Kind::AutoConfig:
          commands.append("AUTOCONFIG");
          break;
        case Kind::Dsm:
          commands.append(entry.name);
          break;
        default:
          commands.append(entry.ipaddr).append(1, ' ').append(entry.community);
          break;
      }
      commands += '\n';
    }
    return true;
  }

  // The edits that give after's properties and own rule values back before's values; notes name
  // the entry as subject.
  void Properties(const Entry& before, const Entry& after, const Entry& subject, Edits& edits) {
    const TextMap& was = before.properties;
    const TextMap& now = after.properties;
    auto a = was.begin();
    auto b = now.begin();
    while (a != was.end() || b != now.end()) {
      // Both sides are in key order: a key is on the side whose next item has it.
      const std::string_view name =
          (b == now.end() || (a != was.end() && (*a).first < (*b).first)) ? (*a).first : (*b).first;
      std::optional<std::string_view> old, current;
      if (a != was.end() && (*a).first == name) old = (*a).second, ++a;
      if (b != now.end() && (*b).first == name) current = (*b).second, ++b;
      if (old == current) continue;
      if (name == kInheritedRules || name == kOwnRules) {
        // Rule values alike (an empty text and none are) are no change.
        if ((!old || old->empty()) && (!current || current->empty())) continue;
        const std::optional<Rules> was = ParseRules(old), now = ParseRules(current);
        if (was && now && *was == *now) continue;
      }
      if (name == kInheritedRules) {
        edits.inherited = true;
      } else if (name == kExclude && &subject == &after && current && !current->empty()) {
        notes.push_back("EXCLUDE of " + Describe(subject) + ": COMMIT keeps an exclusion once set");
      } else if (name == kOwnRules) {
        OwnRules(subject, old, current, edits);
      } else if (!old) {
        // Only an empty value can stand for none.
        if (!current->empty()) edits.Add("UNSET ", name);
      } else if (!IsWord(name) || (!old->empty() && !IsSettable(*old))) {
        notes.push_back("property " + std::string(name) + " of " + Describe(subject) +
                        ": its old value cannot be written in a command");
      } else {
        if (!current || old->empty()) edits.Add("UNSET ", name);
        if (!old->empty()) edits.Add("SET ", name, *old);
      }
    }
  }

  void OwnRules(const Entry& entry, std::optional<std::string_view> old,
                std::optional<std::string_view> current, Edits& edits) {
    const std::optional<Rules> was = ParseRules(old), now = ParseRules(current);
    if (!was || !now) {
      notes.push_back("the rule values of " + Describe(entry) + " (\"" +
                      std::string(old.value_or("")) + "\"): they are not rule value text");
      return;
    }
    Rules all = *was;
    all.insert(now->begin(), now->end());
    for (const auto& [rule, value] : all) {
      auto before = was->find(rule), after = now->find(rule);
      if (before != was->end() && after != now->end() && before->second == after->second) {
        continue;
      }
      if (before != was->end() && !IsRuleValue(before->second)) {
        notes.push_back("rule " + std::to_string(rule) + " of " + Describe(entry) + " (" +
                        before->second + "): QPK sets values from 0 to 10");
        continue;
      }
      edits.Add("QPK ", std::to_string(rule),
                before != was->end() ? std::string_view(before->second) : "-1");
    }
  }

  // The rule values that COMMIT writes as inherited below entry once the objects above are
  // restored: those from above, and entry's own as they were.
  Rules InheritedBelow(const Entry& before) const {
    Rules values = inheritedByDepth.empty() ? Rules() : inheritedByDepth.back();
    const std::optional<Rules> own = ParseRules(before.properties.Find(kOwnRules));
    if (own) {
      for (const auto& [rule, value] : *own) values[rule] = value;
    }
    return values;
  }

  // Whether a commit writes back the inherited rule values that before had: COMMIT writes them
  // from the objects above. Says so when it does not.
  bool InheritedComesBack(const Entry& before, const Entry& subject) {
    static const Rules kNone;
    const Rules& expected = inheritedByDepth.empty() ? kNone : inheritedByDepth.back();
    const std::optional<Rules> was = ParseRules(before.properties.Find(kInheritedRules));
    if (was && *was == expected) return true;
    notes.push_back("the inherited rule values of " + Describe(subject) +
                    ": COMMIT writes them from the objects above, not as they were");
    return false;
  }

  // Each line of edits on the object named name.
  void WriteEdits(const std::string& name, const Edits& edits) {
    for (size_t at = 0; at < edits.lines.size();) {
      const size_t end = edits.lines.find('\n', at) + 1;
      commands.append(name).append(1, '.').append(edits.lines, at, end - at);
      at = end;
    }
  }

  // The edits on the object at the end of path, and its commit.
  void Commit(const Edits& edits, const Entry& before) {
    if (path.empty() || (edits.lines.empty() && !edits.inherited)) return;
    if (!InheritedComesBack(before, *path.back().entry) && edits.lines.empty()) return;
    if (!Declare()) return;
    const std::string& name = path.back().name;
    if (edits.lines.empty()) {
      // Loading the properties is what makes COMMIT write the inherited values again.
      commands += "# " + name + ": COMMIT writes the inherited rule values again\n";
      commands += name + ".UNSET " + std::string(kInheritedRules) + "\n";
    }
    WriteEdits(name, edits);
    commands.append(name).append(".COMMIT\n");
  }

  void PasswordChanged(const Entry& entry) {
    notes.push_back("the password of " + Describe(entry) + " was changed: it stays as it is");
  }

  // Commands that the run sent (the journal only grows), named once per node.
  void Commands(const Entry& before, const Entry& after) {
    const std::vector<std::string>& was = before.Details().journal;
    const std::vector<std::string>& now = after.Details().journal;
    if (now.size() <= was.size()) return;
    std::vector<std::string> sent;
    for (size_t i = was.size(); i < now.size(); ++i) {
      if (std::find(sent.begin(), sent.end(), now[i]) == sent.end()) sent.push_back(now[i]);
    }
    std::string note = Describe(after) + " was sent " + sent.front();
    for (size_t i = 1; i < sent.size(); ++i) note += ", " + sent[i];
    notes.push_back(note);
  }

  // Deletes an entry the run added: spawned under its parent, then DEL.
  void Delete(const Entry& added) {
    if (path.empty()) return;  // an agent: nothing above it to delete it from
    path.push_back(Frame{&added, {}});
    const bool declared = Declare();
    const std::string name = path.back().name;
    path.pop_back();
    if (declared) commands += path.back().name + ".DEL " + name + "\n";
  }

  // Adds again an entry the run removed, under parent (the end of path), with its properties
  // and own rule values; what stood below it cannot come back.
  void AddBack(const Entry& removed, const Entry& parent) {
    if (removed.kind != Kind::Broker && removed.kind != Kind::Target) {
      Lost(removed, parent,
           removed.kind == Kind::Dsm ? "no command creates a DSM" : "no command creates an agent");
      return;
    }
    if (!Nameable(removed) || !Declare()) {
      notes.push_back(Describe(removed) + ", removed by the run: it cannot be named in a command");
      return;
    }
    const std::string name = NewName(removed.kind);
    commands += path.back().name + ".ADD -f " + name + " " + removed.ipaddr + " " +
                (removed.kind == Kind::Broker ? std::to_string(removed.port)
                                              : std::string(removed.community)) +
                "\n";
    if (!removed.Details().password.empty()) {
      notes.push_back("the password of " + Describe(removed) + ", added again without it");
    }
    InheritedComesBack(removed, removed);
    static const Entry kEmpty;
    Edits edits;
    Properties(removed, kEmpty, removed, edits);
    WriteEdits(name, edits);
    commands += name + ".COMMIT\n";
    if (removed.Details().autoconfig)
      Lost(*removed.Details().autoconfig, removed, "no command creates an autoconfig object");
    for (const std::shared_ptr<Entry>& child : removed.children.InOrder()) {
      if (child != nullptr) Lost(*child, removed, "no command creates a DSM");
    }
  }

  // An entry the run removed that no command brings back.
  void Lost(const Entry& entry, const Entry& parent, const char* why) {
    std::string what = Describe(entry) + " of " + Describe(parent);
    if (size_t below = entry.children.size(); below != 0) {
      what += " with the " + std::to_string(below) + " entries below it";
    }
    notes.push_back(what + ", removed by the run: " + why);
    lost.push_back("cannot add back " + what + ": " + why);
  }

  const Site& afterSite;
  uint64_t firstAddedId;
  std::string server;       // the event server, for the AUTH line
  std::vector<Frame> path;  // from an agent down to the entry being walked
  // For each entry being walked, the rule values its children inherit once it is restored.
  std::vector<Rules> inheritedByDepth;
  std::string commands;
  std::vector<std::string> notes;
  std::vector<std::string> lost;
  std::array<size_t, 6> counts{};  // names handed out, by kind
};

}  // namespace

UndoScript MakeUndoScript(const Site& before, const Site& after) {
  UndoWriter writer(after, std::max(before.byId.size(), after.byId.size()));
  writer.Walk(*before.root, *after.root);
  return writer.Finish();
}

}  // namespace sim
