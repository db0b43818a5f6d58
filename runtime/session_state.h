// What one running script holds that its commands read and change: its name, where its
// listings go, its result code, its history of successful commands and the credentials it
// authenticates with. The session of entry/ owns one; handlers see it through their context.
#pragma once

#include <string>

#include "runtime/command_history.h"
#include "runtime/console.h"
#include "runtime/script_options.h"
#include "runtime/text_sink.h"

class Workspace;

struct SessionState {
  // Runs a script file in workspace as a session nested in the running one and gives its
  // result code.
  using ScriptRunner = int (*)(Workspace& workspace, const char* fileName,
                               const ScriptOptions& options, Console& console);

  std::string name;            // "stringbuf", "STDIN" or the script file name as given
  TextSink* sink = nullptr;    // where paged output goes
  Console* console = nullptr;  // what the session writes to and reads from; set by its builder
  int resultCode = 0;
  bool stopRequested = false;  // end the loop before the next line
  CommandHistory history;      // successful command lines, oldest first
  std::string serverName;
  std::string userName;
  std::string password;
  int failedAuthLine = 0;  // the line of the latest AUTH when it failed: its credentials stay
  // How INCLUDE starts a nested session; set by whoever builds sessions.
  ScriptRunner runScriptFile = nullptr;
};
