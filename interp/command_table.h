// Every command of the language in one table: its names, its handler, its help text and its
// place on the general help screen. Dispatch, HELP's topics and the general screen are all
// built from it, once.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "model/object_kind.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"

// Help texts are arrays of lines ending in a null pointer; an empty line is a blank line.
using HelpLines = const char* const*;

// A set of object kinds, one bit per kind.
using KindSet = unsigned;
constexpr KindSet KindBit(ObjectKind kind) { return 1u << KindIndex(kind); }
constexpr KindSet kEveryKind = (1u << kObjectKindCount) - 1;

struct CommandRow {
  const char* name;        // the name listed on the general help screen and in messages
  const char* aliases[3];  // further names, unused slots null
  CommandHandler handler;
  HelpLines help;  // null for HELP itself, whose text is the general screen
  // Checked before the handler runs, in this order: a subcommand that needs a registered object
  // refuses a reserved name (code 17), and a line with fewer tokens than minimumTokens (the
  // command word included) is refused as missing parameters (code 7).
  bool registeredObjectOnly = false;
  unsigned minimumTokens = 0;
  // The kinds of object a subcommand applies to (the handler refuses the others); completion
  // offers it only for those.
  KindSet kinds = kEveryKind;
};

// Session commands, then object subcommands, each in the order of the general help screen.
std::span<const CommandRow> SessionCommands();
std::span<const CommandRow> ObjectSubcommands();

// Finds a row by its name or an alias, ignoring case. The names sit in a small
// open-addressed table hashed on their folded letters, so a lookup folds the word once and
// compares it with one name, seldom two, instead of walking an ordered map.
class CommandLookup {
 public:
  explicit CommandLookup(std::span<const CommandRow> rows);
  // The row named by name, or null.
  const CommandRow* Find(std::string_view name) const;

 private:
  static constexpr size_t kSlots = 64;  // a power of two, at least twice the names
  struct Slot {
    std::string_view name;
    const CommandRow* row = nullptr;
  };
  static size_t Hash(std::string_view name);

  Slot slots[kSlots];
  size_t longestName = 0;
};

// The lookups built from the table, by every name and alias.
const CommandLookup& SessionCommandLookup();
const CommandLookup& ObjectSubcommandLookup();

// HELP topic -> text: "HELP" (the general screen), every session command name and alias, and
// "obj." before every object subcommand name and alias.
using HelpTopics = std::map<std::string, HelpLines, CaseInsensitiveLess>;
const HelpTopics& HelpTopicTable();
