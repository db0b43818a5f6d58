#include "entry/script_session.h"

#include "interp/interpreter_loop.h"
#include "objects/process_state.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/scripts_run.h"

namespace {

void StartState(SessionState& state, const std::string& name, TextSink* sink) {
  state.name = name;
  state.sink = sink;
  state.runScriptFile = runScript;
}

}  // namespace

ScriptSession::ScriptSession(LineSource* source, TextSink* sink) : source(source) {
  StartState(state, "stringbuf", sink);
}

ScriptSession::ScriptSession(const std::string& fileName) {
  StartState(state, fileName, nullptr);
  auto& loadedScripts = ProcessState::Get().loadedScripts;
  if (loadedScripts.count(fileName) != 0) {
    state.resultCode = ResultCode::kScriptAlreadyLoaded;
    return;
  }
  ownedSource = OpenScriptFile(fileName);
  if (ownedSource == nullptr) {
    state.resultCode = ResultCode::kCannotOpenScript;
    return;
  }
  source = ownedSource.get();
  const auto* copied = dynamic_cast<const CopiedFileLineSource*>(source);
  NoteScriptRun(fileName, copied != nullptr ? std::optional(copied->text()) : std::nullopt);
  ownedSink = std::make_unique<FileTextSink>(stdout);
  state.sink = ownedSink.get();
  loadedScripts.insert(fileName);
  addedToLoadedScripts = true;
}

ScriptSession::ScriptSession() : interactive(true) {
  StartState(state, "STDIN", nullptr);
  // Standard input can only be read by a session that does not run inside a script file.
  if (!ProcessState::Get().loadedScripts.empty()) {
    state.resultCode = ResultCode::kCannotOpenScript;
    return;
  }
  ownedSource = std::make_unique<FileLineSource>(stdin);
  source = ownedSource.get();
  ownedSink = std::make_unique<FileTextSink>(stdout);
  state.sink = ownedSink.get();
}

ScriptSession::~ScriptSession() {
  if (addedToLoadedScripts) ProcessState::Get().loadedScripts.erase(state.name);
}

int ScriptSession::Run(const ScriptOptions& options) {
  if (source != nullptr) RunInterpreterLoop(state, *source, interactive, options);
  return state.resultCode;
}

int runScript(const char* fileName, const ScriptOptions& options) {
  // Every nested script runs on the stack of the one that includes it; a chain of files that
  // include each other ends here, far before the stack does.
  if (fileName != nullptr && ProcessState::Get().loadedScripts.size() >= kMaxScriptNesting) {
    ConsoleError("%s: Script not started: scripts may be nested at most %zu deep.\n", fileName,
                 kMaxScriptNesting);
    return ResultCode::kSessionNotCreated;
  }
  auto session = fileName != nullptr ? std::make_unique<ScriptSession>(std::string(fileName))
                                     : std::make_unique<ScriptSession>();
  const int code = session->Run(options);
  const char* name = session->state.name.c_str();
  switch (code) {
    case ResultCode::kNotAuthenticated:
      ConsoleError("Not authenticated to any object server.\n");
      break;
    case ResultCode::kScriptAlreadyLoaded:
      ConsoleError("%s: Script already loaded, and would cause an infinate loop.\n", name);
      break;
    case ResultCode::kCannotOpenScript:
      ConsoleError("%s: Cannot open file.\n", name);
      break;
    case ResultCode::kUndefined:
      ConsoleError("%s: Undefined error.\n", name);
      break;
    default:
      break;
  }
  return code;
}
