// What identifies a child among its siblings, for the duplicate tests of SPAWN: the keys of the
// child's record (with defaults filled in) that those tests compare, folded into one text each.
//
// A key is equal for two records exactly when the duplicate test would find them equal: texts
// compared ignoring case are Folded to lower case, ports compared as 16-bit numbers are written
// as such. The fields are joined by a NUL, which no text of a record holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_object.h"
#include "model/identity_key_set.h"

// A broker under an agent: its address and port.
std::string BrokerIdentityKey(std::string_view address, uint16_t port);
// A DSM under a broker: its name.
std::string DsmIdentityKey(std::string_view dsmName);
// A target under a DSM: its address and community.
std::string TargetIdentityKey(std::string_view address, std::string_view community);

// The identity fields of a child's record with the defaults of DefinitionWithIdentityDefaults
// filled in, read where they lie (no copy of the record): null where there is none, all null
// without node or server session. Valid while the node's record stays as it is.
struct IdentityFields {
  const char* address = nullptr;
  const char* port = nullptr;  // null also when filledPort is set
  const char* name = nullptr;
  const char* community = nullptr;
  uint16_t filledPort = 0;  // the kind's default port, when the record had none or zero
};
// The fields to read, as a mask: a field not asked for is left null (or, where the kind has a
// default for it, given that default), and costs no lookup in the record.
enum IdentityField : unsigned {
  kAddressField = 1,
  kPortField = 2,
  kNameField = 4,
  kCommunityField = 8,
  kEveryIdentityField = 15,
};
IdentityFields IdentityFieldsOf(const ConfigObject& child, unsigned wanted = kEveryIdentityField);

// Every key under which child answers a duplicate test, from its record with defaults filled
// in (read from its node once); none without node or server session (the record is empty).
IdentityKeySet IdentityKeys(const ConfigObject& child);

// The node's record with the defaults of GetDefinitionWithDefaults filled in, except the
// broker's version (which needs a further call on the node and identifies nothing).
ChildDefinitionData DefinitionWithIdentityDefaults(const ConfigObject& object);
