// What every command handler is given: the workspace it acts on, the line it runs, the session
// it runs in, the session's options, the console it writes to, and the one way to fail (a
// message on standard error and a result code).
#pragma once

#include <string>
#include <string_view>

#include "runtime/console.h"
#include "runtime/script_options.h"
#include "runtime/session_state.h"

// Declared by the object model, which is built on this folder; a handler that uses it includes
// model/workspace.h.
class Workspace;

struct CommandContext {
  Workspace& workspace;  // the objects and the server session the command works on
  SessionState& session;
  ScriptOptions& options;  // the running script's options; SET changes them
  Console& console;        // the session's: everything the command shows or reads goes through it
  int lineNumber;
  std::string_view line;   // valid while the handler runs
  std::string objectName;  // object subcommands: the name before the separator, as typed

  // Writes "name:line: " and the formatted message on standard error, sets the session's
  // result code and gives false, the result of every failing handler.
  bool Fail(int code, const char* format, ...) const __attribute__((format(printf, 3, 4)));
  // The same message without setting a result code.
  void Report(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  // The confirmation of a command that succeeded, on standard output: the caller prints it only
  // when VERBOSE is on.
  void Confirm(const char* format, ...) const __attribute__((format(printf, 2, 3)));
};

// A session command or an object subcommand. True when the line enters the history.
using CommandHandler = bool (*)(CommandContext& command);
