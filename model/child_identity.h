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

// Every key under which child answers a duplicate test, from its record with defaults filled
// in (read from its node once); none without node or server session (the record is empty).
IdentityKeySet IdentityKeys(const ConfigObject& child);

// The node's record with the defaults of GetDefinitionWithDefaults filled in, except the
// broker's version (which needs a further call on the node and identifies nothing).
ChildDefinitionData DefinitionWithIdentityDefaults(const ConfigObject& object);
