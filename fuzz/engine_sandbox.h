// What a fuzz target that runs the engine needs around it: a folder of its own, removed at exit,
// none of the simulator's test settings, standard input at its end and standard output discarded;
// and, after each input, the end of the script's session, so that the next input starts as a new
// process would.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "entry/process_workspace.h"

namespace engine_sandbox {

inline std::string& Folder() {
  static std::string folder;
  return folder;
}

// Works in a new folder made from the first of the mkdtemp patterns that can be made.
inline const std::string& Enter(std::initializer_list<const char*> patterns) {
  for (const char* pattern : patterns) {
    std::string name = pattern;
    if (mkdtemp(name.data()) == nullptr) continue;
    if (chdir(name.c_str()) != 0) break;
    Folder() = name;
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    for (const char* setting : {"ORBITANE_SIM_TRACE", "ORBITANE_SIM_FAIL_BEFORE_RENAME", "LINES"}) {
      unsetenv(setting);
    }
    if (std::freopen("/dev/null", "r", stdin) == nullptr ||
        std::freopen("/dev/null", "w", stdout) == nullptr) {
      break;
    }
    return Folder();
  }
  std::abort();
}

// Drops the declared objects and the server session (the installation goes with it).
inline void EndSession() {
  ProcessWorkspace().registry().Clear();
  ProcessWorkspace().CloseServerSession();
  std::clearerr(stdin);
}

}  // namespace engine_sandbox
