#include "entry/script_session.h"

#include <cstdarg>
#include <cstdio>

#include "interp/result_codes.h"
#include "runtime/console.h"
#include "runtime/process_state.h"

ScriptSession::ScriptSession(LineSource* source, TextSink* sink, const ScriptOptions& options)
    : name("stringbuf"), source(source), sink(sink) {
  RunLoop(options);
}

ScriptSession::ScriptSession(const std::string& fileName, const ScriptOptions& options)
    : name(fileName) {
  RunFileSession(fileName, options);
}

ScriptSession::ScriptSession(const ScriptOptions& options) : name("STDIN"), interactive(true) {
  // Standard input can only be read by a session that does not run inside a script file.
  if (!ProcessState::Get().loadedScripts.empty()) {
    resultCode = ResultCode::kCannotOpenScript;
    return;
  }
  source = new FileLineSource(stdin);
  ownsSource = true;
  sink = new FileTextSink(stdout);
  ownsSink = true;
  RunLoop(options);
}

void ScriptSession::RunFileSession(const std::string& fileName, const ScriptOptions& options) {
  auto& loadedScripts = ProcessState::Get().loadedScripts;
  if (loadedScripts.count(fileName) != 0) {
    resultCode = ResultCode::kScriptAlreadyLoaded;
    return;
  }
  auto* fileSource = new FileLineSource(fileName);
  source = fileSource;
  ownsSource = true;
  if (!fileSource->isReadableFile()) {
    resultCode = ResultCode::kCannotOpenScript;
    return;
  }
  sink = new FileTextSink(stdout);
  ownsSink = true;
  loadedScripts.insert(fileName);
  addedToLoadedScripts = true;
  RunLoop(options);
}

ScriptSession::~ScriptSession() {
  if (addedToLoadedScripts) ProcessState::Get().loadedScripts.erase(name);
  if (ownsSource) delete source;
  if (ownsSink) delete sink;
}

void ScriptSession::Report(int lineNumber, const char* format, ...) {
  consoleError("%s:%d: ", name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  consoleErrorV(format, arguments);
  va_end(arguments);
}

bool ScriptSession::Fail(int code, int lineNumber, const char* format, ...) {
  resultCode = code;
  consoleError("%s:%d: ", name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  consoleErrorV(format, arguments);
  va_end(arguments);
  return false;
}

int runScript(const char* fileName, const ScriptOptions& options) {
  // Every nested script runs on the stack of the one that includes it; a chain of files that
  // include each other ends here, far before the stack does.
  if (fileName != nullptr && ProcessState::Get().loadedScripts.size() >= kMaxScriptNesting) {
    consoleError("%s: Script not started: scripts may be nested at most %zu deep.\n", fileName,
                 kMaxScriptNesting);
    return ResultCode::kSessionNotCreated;
  }
  ScriptSession* session = fileName != nullptr ? new ScriptSession(std::string(fileName), options)
                                               : new ScriptSession(options);
  int code = session->resultCode;
  const char* name = session->name.c_str();
  switch (code) {
    case ResultCode::kNotAuthenticated:
      consoleError("Not authenticated to any object server.\n");
      break;
    case ResultCode::kScriptAlreadyLoaded:
      consoleError("%s: Script already loaded, and would cause an infinate loop.\n", name);
      break;
    case ResultCode::kCannotOpenScript:
      consoleError("%s: Cannot open file.\n", name);
      break;
    case ResultCode::kUndefined:
      consoleError("%s: Undefined error.\n", name);
      break;
    default:
      break;
  }
  delete session;
  return code;
}
