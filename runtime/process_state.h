// The state that outlives every script: created when the library loads, destroyed when it
// unloads. It is the only process-wide object with a constructor or destructor.
#pragma once

#include <set>
#include <string>

#include "objects/object_registry.h"

class ProcessState {
 public:
  // The one instance; it exists from library load to unload.
  static ProcessState& Get();

  // Names of the script files running at this moment, compared exactly.
  std::set<std::string> loadedScripts;
  // Every object the scripts have named, shared by all sessions.
  ObjectRegistry registry;
};
