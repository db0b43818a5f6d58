// The keys that the objects of a site file may hold, and what each must be.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/kind.h"
#include "sim/model.h"

namespace sim {

enum class Field : uint8_t {
  Format,
  Server,
  Users,
  Unreachable,
  Rules,
  Agents,
  AnyPassword,  // top level
  Number,
  Description,  // rules
  Ipaddr,
  Port,
  Password,
  Local,
  Version,
  Name,
  Community,  // identities
  Alive,
  Properties,
  Logs,
  Commands,
  Fail,
  Journal,
  Reconfig,
  LogFeed,  // any node
  Brokers,
  Autoconfig,
  Dsms,
  Targets,  // children
  Polls,
  Result,
  Ran,
  Pending,  // reconfig
  Comment,  // top level: a note for the reader, kept as it is
};

// Which object of the file a key belongs to.
enum class Holder { Top, Rule, Node, Reconfig };

// The field that key names in an object of that holder (and node kind), or none when the key is
// not allowed there.
std::optional<Field> LookupField(Holder holder, Kind kind, std::string_view key);
// What a value of the field must be, for messages: `"port" must be <this>`.
const char* Expectation(Field field);
// Whether the operation may be listed in "fail".
bool IsFailableOperation(std::string_view name);
// The commands the entry accepts: its own list, or the defaults of its kind (shared, so that an
// installation of many nodes does not hold many copies).
const std::vector<std::string>& CommandsOf(const Entry& entry);

}  // namespace sim
