// How nodes are named: type names, identity keys for lookups, and the checks on the texts that
// make up an identity (dotted-decimal addresses, ports).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"
#include "sim/kind.h"
#include "sim/model.h"

namespace sim {

// Four decimal numbers 0 to 255 separated by dots, without signs or leading zeros: the form that
// the engine writes into records, so that equal addresses are equal texts.
bool IsDottedDecimal(std::string_view text);
// The four numbers of such an address, or none when text is not one.
std::optional<std::array<uint8_t, 4>> ParseDottedDecimal(std::string_view text);
// A port written as decimal digits, 0 to 65535.
std::optional<uint16_t> ParsePort(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool IsValidUtf8(std::string_view text);

// The key under which an entry is indexed by its parent: addresses as numbers (they are dotted
// decimal, so this is comparing them ignoring case), ports as numbers, DSM names lower-cased,
// communities exact.
std::string IdentityKey(const Entry& entry);
// Whether IdentityKey(entry) == key, without making the key.
bool HasIdentityKey(const Entry& entry, std::string_view key);
// The same key for a target with that address (as ParseDottedDecimal gives it) and community.
std::string TargetKey(const std::array<uint8_t, 4>& address, std::string_view community);
// The key that a record names for a child of the given kind (missing port 5465, missing community
// "public"); none when the record lacks the identity or holds a malformed address or port.
std::optional<std::string> RecordKey(Kind child, const ChildDefinitionData& record);

// The definition record of an entry, as GetDefinitionData hands it out (its nodes share one:
// node_anchor.h).
ChildDefinitionData DefinitionRecord(const Entry& entry);
// A short description for traces and messages, e.g. "Broker 127.0.0.1:5465", "DSM dsm1",
// "Target 10.2.0.1@public", "AutoConfig 127.0.0.1:5465" (the address of its broker).
std::string Describe(const Entry& entry);
// The same text appended to out.
void AppendDescription(std::string& out, const Entry& entry);
// The same text from the record DefinitionRecord gave for an entry of kind (not AutoConfig, whose
// description names its broker).
std::string DescribeRecord(Kind kind, const ChildDefinitionData& record);

}  // namespace sim
