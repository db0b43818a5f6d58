// The kinds of configuration object and what the language knows about each, in one table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class ObjectKind : int32_t {
  Agent = 0,
  DSM = 1,
  Target = 2,
  Broker = 3,
  AutoConfig = 4,
};

// The number of kinds, and a kind's place among them (for tables indexed by kind).
constexpr size_t kObjectKindCount = 5;
constexpr size_t KindIndex(ObjectKind kind) { return static_cast<size_t>(kind); }

struct KindTraits {
  ObjectKind kind;
  const char* displayName;   // in messages and listings: "Agent"
  const char* reservedWord;  // the reserved object name that selects every object of the kind
  // LIST: whether the kind has configured children, and their kind (the listing's texts are
  // runtime/listing_text.cpp's).
  bool hasConfiguredChildren;
  ObjectKind childKind;
  // Filled into a record that lacks them: port (0: none), community, name and address (null:
  // none).
  uint16_t defaultPort;
  const char* defaultCommunity;
  const char* defaultName;
  const char* defaultAddress;
};

// The traits of kind; null for a value outside the enumeration.
const KindTraits* TraitsOf(ObjectKind kind);
// The kind whose reserved word is word, ignoring case; null for any other word (ALL included).
const KindTraits* KindByReservedWord(std::string_view word);

// "Agent", "DSM", "Target", "Broker", "AutoConfig"; "UNKNOWN" for any other value.
const char* KindName(ObjectKind kind);
// Whether text is ALL or the reserved word of a kind, ignoring case.
bool isReservedObjectName(const char* text);

// The port agents and brokers listen on when none is given.
inline constexpr uint16_t kDefaultPort = 5465;
