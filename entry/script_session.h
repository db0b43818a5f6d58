// One running script: its name, where its lines come from, where its listings go, its result
// code, its history of successful commands and the credentials it authenticates with.
//
// Building a session runs the whole script; ending it (destroying it) releases what it owns.
// Sessions nest: INCLUDE builds and ends a file session inside a handler of the including one.
#pragma once

#include <string>
#include <vector>

#include "entry/command_history.h"
#include "entry/line_source.h"
#include "entry/script_options.h"
#include "entry/text_sink.h"

class ConfigObject;

class ScriptSession {
 public:
  // A string session over a source and a sink that the caller owns ("stringbuf").
  ScriptSession(LineSource* source, TextSink* sink, const ScriptOptions& options);
  // A file session over the named script file; refused with code 4 when that file is already
  // running and with code 5 when it cannot be opened.
  ScriptSession(const std::string& fileName, const ScriptOptions& options);
  // A standard-input session ("STDIN"); refused with code 5 while a script file is running.
  explicit ScriptSession(const ScriptOptions& options);
  ~ScriptSession();
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  // A session command: line number, the whole line, this session's options.
  using CommandHandler = bool (ScriptSession::*)(int lineNumber, const std::string& line,
                                                 ScriptOptions& options);
  // An object subcommand: as above, plus the object name exactly as typed.
  using SubcommandHandler = bool (ScriptSession::*)(int lineNumber, const std::string& line,
                                                    ScriptOptions& options,
                                                    std::string objectName);

  // Writes "name:line: " and the formatted message on standard error, sets the result code
  // and returns false, the result of every failing handler.
  bool Fail(int code, int lineNumber, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  // Writes "name:line: " and the formatted message on standard error; no code is set.
  void Report(int lineNumber, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // The registered object a subcommand was given, or null after refusing a reserved name with
  // "Subcommand <subcommand> may not be used on reserved objects." (code 17).
  ConfigObject* RegisteredObjectOrRefuse(int lineNumber, const std::string& objectName,
                                         const char* subcommand);
  // Whether name may be given to a new object; when it holds the separator or is a reserved
  // name, reports "Bad object name" (code 11) and gives false.
  bool AcceptNewObjectName(int lineNumber, const std::string& name,
                           const ScriptOptions& options);

  // Session commands.
  bool HandleHelp(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleSet(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleInclude(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleAbort(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleQuit(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleHistory(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleAuth(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleAgent(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleDrop(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleObjects(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandlePrint(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandlePause(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleSleep(int lineNumber, const std::string& line, ScriptOptions& options);
  bool HandleExec(int lineNumber, const std::string& line, ScriptOptions& options);

  // Object subcommands.
  bool HandleObjectAdd(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);
  bool HandleObjectSpawn(int lineNumber, const std::string& line, ScriptOptions& options,
                         std::string objectName);
  bool HandleObjectDel(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);
  bool HandleObjectList(int lineNumber, const std::string& line, ScriptOptions& options,
                        std::string objectName);
  bool HandleObjectPassword(int lineNumber, const std::string& line, ScriptOptions& options,
                            std::string objectName);
  bool HandleObjectSet(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);
  bool HandleObjectUnset(int lineNumber, const std::string& line, ScriptOptions& options,
                         std::string objectName);
  bool HandleObjectReset(int lineNumber, const std::string& line, ScriptOptions& options,
                         std::string objectName);
  bool HandleObjectCommit(int lineNumber, const std::string& line, ScriptOptions& options,
                          std::string objectName);
  bool HandleObjectQpk(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);
  bool HandleObjectLog(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);
  bool HandleObjectRun(int lineNumber, const std::string& line, ScriptOptions& options,
                       std::string objectName);

  std::string name;           // "stringbuf", "STDIN" or the script file name as given
  bool interactive = false;   // show the prompt before each line
  bool ownsSource = false;
  LineSource* source = nullptr;  // null only when the session was refused
  bool ownsSink = false;
  TextSink* sink = nullptr;  // where paged output goes
  int resultCode = 0;
  bool stopRequested = false;  // end the loop before the next line
  CommandHistory history;  // successful command lines, oldest first
  std::string serverName;
  std::string userName;
  std::string password;

 private:
  // Runs the interpreter loop over every line of the source (interp/interpreter_loop.cpp).
  void RunLoop(ScriptOptions options);
  void RunFileSession(const std::string& fileName, const ScriptOptions& options);

  bool addedToLoadedScripts = false;
};

// How many script files may run inside each other (the first included by none counts too).
constexpr size_t kMaxScriptNesting = 100;

// Runs the named script file (or standard input when fileName is null) with a copy of options,
// reports a refused session on standard error, and returns the session's result code; 1 when
// kMaxScriptNesting files are running already.
int runScript(const char* fileName, const ScriptOptions& options);
