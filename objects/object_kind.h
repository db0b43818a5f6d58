// The kinds of configuration object and their display names.
#pragma once

#include <cstdint>

enum class ObjectKind : int32_t {
  Agent = 0,
  DSM = 1,
  Target = 2,
  Broker = 3,
  AutoConfig = 4,
};

// "Agent", "DSM", "Target", "Broker", "AutoConfig"; "UNKNOWN" for any other value.
const char* KindName(ObjectKind kind);
