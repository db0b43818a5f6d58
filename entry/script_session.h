// One script: its name, where its lines come from, where its listings go and the console it
// writes to. Building a session
// opens its source (or refuses it); Run runs every line through the interpreter loop.
// Sessions nest: INCLUDE builds and runs a file session inside a handler of the including one.
#pragma once

#include <memory>
#include <string>

#include "model/workspace.h"
#include "runtime/line_source.h"
#include "runtime/script_options.h"
#include "runtime/session_state.h"
#include "runtime/text_sink.h"

// Each session runs on the objects of one workspace.
class ScriptSession {
 public:
  // A string session over a source and a sink that the caller owns ("stringbuf").
  ScriptSession(Workspace& workspace, LineSource* source, TextSink* sink, Console& console);
  // A file session over the named script file; refused with code 4 when that file is already
  // running in workspace and with code 5 when it cannot be opened. Its listings go to the
  // console.
  ScriptSession(Workspace& workspace, const std::string& fileName, Console& console);
  // A session over the console's standard input ("STDIN"); refused with code 5 while a script
  // file is running in workspace.
  ScriptSession(Workspace& workspace, Console& console);
  ~ScriptSession();
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  // Runs every line with a copy of options (nothing when the session was refused) and gives
  // the session's result code.
  int Run(const ScriptOptions& options);

  SessionState state;

 private:
  Workspace& workspace;
  std::unique_ptr<LineSource> ownedSource;
  std::unique_ptr<TextSink> ownedSink;
  LineSource* source = nullptr;  // null only when the session was refused
  bool interactive = false;      // show the prompt before each line
  bool addedToLoadedScripts = false;
};

// How many script files may run inside each other (the first included by none counts too).
constexpr size_t kMaxScriptNesting = 100;

// Runs the named script file (or the console's standard input when fileName is null) with a copy
// of options, reports a refused session on the console's standard error, and returns the
// session's result code; 1 when kMaxScriptNesting files are running already.
int runScript(const char* fileName, const ScriptOptions& options, Console& console);
// The same in workspace (runScript runs in the process's workspace); what INCLUDE runs.
int RunScriptInWorkspace(Workspace& workspace, const char* fileName, const ScriptOptions& options,
                         Console& console);
