// The state that outlives every script: created when the library loads, destroyed when it
// unloads. It is the only process-wide object with a constructor or destructor.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "model/object_registry.h"
#include "model/server_session.h"

class ProcessState {
 public:
  // The one instance; it exists from library load to unload.
  static ProcessState& Get();

  ProcessState() = default;
  // Destroys the registered objects (and their nodes) first, then the server session's root
  // node and holder, then ends the use of the vendor library.
  ~ProcessState();
  ProcessState(const ProcessState&) = delete;
  ProcessState& operator=(const ProcessState&) = delete;

  // Names of the script files running at this moment, compared exactly.
  std::set<std::string> loadedScripts;
  // Every object that scripts have declared, by name.
  ObjectRegistry registry;
  // The current connection to the event server (owned); null before the first attempt.
  std::unique_ptr<ServerSession> serverSession;
};
