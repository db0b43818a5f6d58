#include "entry/script_session.h"

#include "entry/process_workspace.h"
#include "interp/interpreter_loop.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/scripts_run.h"

namespace {

void StartState(SessionState& state, const std::string& name, TextSink* sink, Console& console) {
  state.name = name;
  state.sink = sink;
  state.console = &console;
  state.runScriptFile = RunScriptInWorkspace;
}

}  // namespace

ScriptSession::ScriptSession(Workspace& workspace, LineSource* source, TextSink* sink,
                             Console& console)
    : workspace(workspace), source(source) {
  StartState(state, "stringbuf", sink, console);
}

ScriptSession::ScriptSession(Workspace& workspace, const std::string& fileName, Console& console)
    : workspace(workspace) {
  StartState(state, fileName, nullptr, console);
  auto& loadedScripts = workspace.runningScripts();
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
  ownedSink = std::make_unique<FileTextSink>(console.outputStream());
  state.sink = ownedSink.get();
  loadedScripts.insert(fileName);
  addedToLoadedScripts = true;
}

ScriptSession::ScriptSession(Workspace& workspace, Console& console)
    : workspace(workspace), interactive(true) {
  StartState(state, "STDIN", nullptr, console);
  // Standard input can only be read by a session that does not run inside a script file.
  if (!workspace.runningScripts().empty()) {
    state.resultCode = ResultCode::kCannotOpenScript;
    return;
  }
  ownedSource = std::make_unique<FileLineSource>(console.inputStream());
  source = ownedSource.get();
  ownedSink = std::make_unique<FileTextSink>(console.outputStream());
  state.sink = ownedSink.get();
}

ScriptSession::~ScriptSession() {
  if (addedToLoadedScripts) workspace.runningScripts().erase(state.name);
}

int ScriptSession::Run(const ScriptOptions& options) {
  if (source != nullptr) RunInterpreterLoop(workspace, state, *source, interactive, options);
  return state.resultCode;
}

int runScript(const char* fileName, const ScriptOptions& options, Console& console) {
  return RunScriptInWorkspace(ProcessWorkspace(), fileName, options, console);
}

int RunScriptInWorkspace(Workspace& workspace, const char* fileName, const ScriptOptions& options,
                         Console& console) {
  // Every nested script runs on the stack of the one that includes it; a chain of files that
  // include each other ends here, far before the stack does.
  if (fileName != nullptr && workspace.runningScripts().size() >= kMaxScriptNesting) {
    console.Error("%s: Script not started: scripts may be nested at most %zu deep.\n", fileName,
                  kMaxScriptNesting);
    return ResultCode::kSessionNotCreated;
  }
  auto session = fileName != nullptr
                     ? std::make_unique<ScriptSession>(workspace, std::string(fileName), console)
                     : std::make_unique<ScriptSession>(workspace, console);
  const int code = session->Run(options);
  const char* name = session->state.name.c_str();
  switch (code) {
    case ResultCode::kNotAuthenticated:
      console.Error("Not authenticated to any object server.\n");
      break;
    case ResultCode::kScriptAlreadyLoaded:
      console.Error("%s: Script already loaded, and would cause an infinate loop.\n", name);
      break;
    case ResultCode::kCannotOpenScript:
      console.Error("%s: Cannot open file.\n", name);
      break;
    case ResultCode::kUndefined:
      console.Error("%s: Undefined error.\n", name);
      break;
    default:
      break;
  }
  return code;
}
