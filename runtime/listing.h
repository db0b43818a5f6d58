// A listing as data: what it lists, the object it is of, and its rows with named fields. The
// commands produce listings; a renderer (runtime/listing_text.h) makes their text, and
// runtime/listing_output.h shows them, paged or not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

enum class ListingKind {
  kBrokers,            // obj.LIST of an agent
  kDsms,               // obj.LIST of a broker
  kTargets,            // obj.LIST of a DSM
  kProperties,         // obj.SET: every property of one object
  kProperty,           // obj.SET option: one property of one object
  kPropertySelection,  // obj.SET option on a reserved name: one row per selected object
  kRules,              // obj.QPK: every rule of one object
  kRule,               // obj.QPK rule: one rule of one object
  kRuleSelection,      // obj.QPK rule on a reserved name: one row per selected object
  kLog,                // obj.LOG
  kHistory,            // HISTORY
  kObjects,            // OBJECTS: every registered object as a tree
  kHelp,               // HELP topic at the terminal
};

struct Listing {
  ListingKind kind;
  // The object it is of, as named (a reserved name for a selection); empty for HISTORY,
  // OBJECTS and HELP.
  std::string object;
};

// obj.LIST rows, from the child's record. registeredName is the registered object that stands
// for the child, if any.
struct BrokerEntry {
  std::string registeredName;
  std::string address;
  int port = 0;
};
struct DsmEntry {
  std::string registeredName;
  std::string name;
};
struct TargetEntry {
  std::string registeredName;
  std::string address;
  std::string community;
};

// A property in an object's working copy; object is set in a selection's rows.
struct PropertyEntry {
  std::string object;
  std::string name;
  std::string value;
  bool changed = false;  // a change not yet committed
};

// A rule and the sensitivity in force for an object: its own value if it has one, else the
// value inherited from above (10 for a rule set nowhere).
struct RuleEntry {
  std::string object;  // set in a selection's rows
  int32_t number = 0;
  std::string description;
  std::optional<int> ownValue;
  int inheritedValue = 10;
  int value() const { return ownValue ? *ownValue : inheritedValue; }
};

// A line of a log, or of a help text.
struct TextLine {
  std::string text;
};

// HISTORY: a stored command line, exactly as stored (with its line end, if it had one).
struct HistoryEntry {
  size_t number = 0;
  std::string line;
};

// OBJECTS: one registered object at its depth in the tree, with what identifies it. Each
// identifying field is set only for the kinds that show it.
struct ObjectTreeEntry {
  size_t depth = 0;  // 0 for an object without parent
  std::string name;
  std::string kind;  // the kind's display name
  std::optional<std::string> address;
  std::optional<std::string> port;
  std::optional<std::string> dsmName;
  std::optional<std::string> community;
  // A broker's software version; set (to nothing when it could not be read) only for brokers.
  std::optional<std::optional<std::string>> version;
};

using ListingRow = std::variant<BrokerEntry, DsmEntry, TargetEntry, PropertyEntry, RuleEntry,
                                TextLine, HistoryEntry, ObjectTreeEntry>;
