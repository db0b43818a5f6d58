#include "interp/command_table.h"

#include <cstdlib>
#include <span>
#include <string>
#include <vector>

// Each handler and help text is defined in its command's own file.
bool HandleSet(CommandContext&);
bool HandleInclude(CommandContext&);
bool HandleAbort(CommandContext&);
bool HandleDrop(CommandContext&);
bool HandleHistory(CommandContext&);
bool HandleAuth(CommandContext&);
bool HandleAgent(CommandContext&);
bool HandleObjects(CommandContext&);
bool HandlePrint(CommandContext&);
bool HandlePause(CommandContext&);
bool HandleSleep(CommandContext&);
bool HandleExec(CommandContext&);
bool HandleQuit(CommandContext&);
bool HandleHelp(CommandContext&);
extern const char* const kSetHelp[];
extern const char* const kIncludeHelp[];
extern const char* const kAbortHelp[];
extern const char* const kDropHelp[];
extern const char* const kHistoryHelp[];
extern const char* const kAuthHelp[];
extern const char* const kAgentHelp[];
extern const char* const kObjectsHelp[];
extern const char* const kPrintHelp[];
extern const char* const kPauseHelp[];
extern const char* const kSleepHelp[];
extern const char* const kExecHelp[];
extern const char* const kQuitHelp[];

bool HandleObjectAdd(CommandContext&);
bool HandleObjectSpawn(CommandContext&);
bool HandleObjectDel(CommandContext&);
bool HandleObjectList(CommandContext&);
bool HandleObjectPassword(CommandContext&);
bool HandleObjectSet(CommandContext&);
bool HandleObjectReset(CommandContext&);
bool HandleObjectUnset(CommandContext&);
bool HandleObjectCommit(CommandContext&);
bool HandleObjectQpk(CommandContext&);
bool HandleObjectLog(CommandContext&);
bool HandleObjectRun(CommandContext&);
extern const char* const kAddHelp[];
extern const char* const kSpawnHelp[];
extern const char* const kDelHelp[];
extern const char* const kListHelp[];
extern const char* const kPasswordHelp[];
extern const char* const kObjectSetHelp[];
extern const char* const kResetHelp[];
extern const char* const kUnsetHelp[];
extern const char* const kCommitHelp[];
extern const char* const kQpkHelp[];
extern const char* const kLogHelp[];
extern const char* const kRunHelp[];

namespace {

// The general help screen lists the names in columns of this width, this many to a line.
constexpr size_t kColumnWidth = 10;
constexpr size_t kColumns = 6;

constexpr CommandRow kSessionCommands[] = {
    {"SET", {}, HandleSet, kSetHelp, false, 3},
    {"INCLUDE", {}, HandleInclude, kIncludeHelp, false, 2},
    {"ABORT", {}, HandleAbort, kAbortHelp},
    {"DROP", {}, HandleDrop, kDropHelp, false, 2},
    {"HISTORY", {}, HandleHistory, kHistoryHelp},
    {"AUTH", {}, HandleAuth, kAuthHelp, false, 3},
    {"AGENT", {}, HandleAgent, kAgentHelp, false, 3},
    {"OBJECTS", {}, HandleObjects, kObjectsHelp},
    {"PRINT", {"ECHO"}, HandlePrint, kPrintHelp},
    {"PAUSE", {"PROMPT"}, HandlePause, kPauseHelp},
    {"SLEEP", {}, HandleSleep, kSleepHelp, false, 2},
    {"EXEC", {}, HandleExec, kExecHelp, false, 2},
    {"QUIT", {"EXIT", "BYE"}, HandleQuit, kQuitHelp},
    {"HELP", {}, HandleHelp, nullptr},
};

constexpr KindSet kAgent = KindBit(ObjectKind::Agent);
constexpr KindSet kBroker = KindBit(ObjectKind::Broker);
constexpr KindSet kDsm = KindBit(ObjectKind::DSM);
constexpr KindSet kParents = kAgent | kBroker | kDsm;  // the kinds with configured children

constexpr CommandRow kObjectSubcommands[] = {
    {"ADD", {}, HandleObjectAdd, kAddHelp, true, 3, kAgent | kDsm},
    {"SPAWN", {}, HandleObjectSpawn, kSpawnHelp, true, 2, kParents},
    {"DEL", {}, HandleObjectDel, kDelHelp, true, 2, kParents},
    {"LIST", {}, HandleObjectList, kListHelp, true, 0, kParents},
    {"PASSWORD", {"PASSWD", "PASS"}, HandleObjectPassword, kPasswordHelp, false, 0, kParents},
    {"SET", {}, HandleObjectSet, kObjectSetHelp},
    {"RESET", {}, HandleObjectReset, kResetHelp, false, 2},
    {"UNSET", {}, HandleObjectUnset, kUnsetHelp, false, 2},
    {"COMMIT", {}, HandleObjectCommit, kCommitHelp},
    {"QPK", {}, HandleObjectQpk, kQpkHelp},
    {"LOG", {}, HandleObjectLog, kLogHelp, true, 0, kEveryKind & ~KindBit(ObjectKind::Target)},
    {"RUN", {"EXEC"}, HandleObjectRun, kRunHelp, false, 2},
};

// Calls visit(name) for a row's name and each of its aliases.
template <typename Visit>
void ForEachName(const CommandRow& row, Visit visit) {
  visit(row.name);
  for (const char* alias : row.aliases) {
    if (alias != nullptr) visit(alias);
  }
}

// ASCII case folding, as CompareIgnoringCase folds.
inline unsigned char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A'))
                              : static_cast<unsigned char>(c);
}

// Appends the listed names of rows in columns; every line keeps its trailing blanks.
void AppendNameColumns(std::span<const CommandRow> rows, std::vector<std::string>& lines) {
  for (size_t i = 0; i < rows.size(); i += kColumns) {
    std::string line;
    for (size_t column = 0; column < kColumns; ++column) {
      std::string cell = i + column < rows.size() ? rows[i + column].name : "";
      cell.resize(kColumnWidth, ' ');
      line += cell;
    }
    lines.push_back(std::move(line));
  }
}

// The general help screen's text, built once and never freed.
const std::vector<std::string>* BuildGeneralText() {
  auto* text = new std::vector<std::string>{
      "Halvex/Orbitane command-line configuration utility.",
      "",
      "You may use HELP <command> to get more detailed help on any command that",
      "is not executed on an object, or HELP obj.<command> to get more detailed",
      "help on any command that is executed on an object.",
      "",
      "Commands that are not executed on an object are:",
  };
  AppendNameColumns(kSessionCommands, *text);
  text->push_back("");
  text->push_back("Commands that are executed on an object are:");
  AppendNameColumns(kObjectSubcommands, *text);
  return text;
}

// The general help screen as lines ending in a null pointer.
HelpLines GeneralScreen() {
  static const std::vector<std::string>* text = BuildGeneralText();
  static const std::vector<const char*>* lines = [] {
    auto* pointers = new std::vector<const char*>;
    for (const std::string& line : *text) pointers->push_back(line.c_str());
    pointers->push_back(nullptr);
    return pointers;
  }();
  return lines->data();
}

}  // namespace

CommandLookup::CommandLookup(std::span<const CommandRow> rows) {
  size_t names = 0;
  for (const CommandRow& row : rows) {
    ForEachName(row, [&](const char* name) {
      if (++names > kSlots / 2) std::abort();  // the table has outgrown its slots
      const std::string_view key(name);
      if (key.size() > longestName) longestName = key.size();
      size_t slot = Hash(key);
      while (slots[slot].row != nullptr) slot = (slot + 1) % kSlots;
      slots[slot] = {key, &row};
    });
  }
}

size_t CommandLookup::Hash(std::string_view name) {
  size_t hash = name.size();
  for (char c : name) hash = hash * 31 + FoldCase(c);
  return hash % kSlots;
}

const CommandRow* CommandLookup::Find(std::string_view name) const {
  if (name.empty() || name.size() > longestName) return nullptr;
  for (size_t slot = Hash(name); slots[slot].row != nullptr; slot = (slot + 1) % kSlots) {
    if (EqualsIgnoringCase(slots[slot].name, name)) return slots[slot].row;
  }
  return nullptr;
}

std::span<const CommandRow> SessionCommands() { return kSessionCommands; }
std::span<const CommandRow> ObjectSubcommands() { return kObjectSubcommands; }

const CommandLookup& SessionCommandLookup() {
  static const CommandLookup lookup(kSessionCommands);
  return lookup;
}

const CommandLookup& ObjectSubcommandLookup() {
  static const CommandLookup lookup(kObjectSubcommands);
  return lookup;
}

const HelpTopics& HelpTopicTable() {
  static const HelpTopics* topics = [] {
    auto* built = new HelpTopics;
    const HelpLines generalScreen = GeneralScreen();
    for (const CommandRow& row : kSessionCommands) {
      HelpLines help = row.help != nullptr ? row.help : generalScreen;
      ForEachName(row, [&](const char* name) { built->emplace(name, help); });
    }
    for (const CommandRow& row : kObjectSubcommands) {
      ForEachName(row,
                  [&](const char* name) { built->emplace(std::string("obj.") + name, row.help); });
    }
    return built;
  }();
  return *topics;
}
