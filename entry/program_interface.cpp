// The entry points for programs that run scripts for a person: where prompts are answered, the
// page length, a line reader for terminal sessions, completion, pending changes, interrupts.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "entry/process_console.h"
#include "entry/process_workspace.h"
#include "entry/script_session.h"
#include "hxo/hxo.h"
#include "interp/completion.h"
#include "runtime/failure_explanation.h"
#include "runtime/failure_record.h"
#include "runtime/interrupt.h"
#include "runtime/output_format.h"
#include "runtime/page_length.h"
#include "runtime/prompt_input.h"
#include "runtime/reader_line_source.h"
#include "runtime/result_codes.h"
#include "runtime/text_sink.h"

namespace {

HXO_LineReader lineReader = nullptr;
void* lineReaderContext = nullptr;

char** NewList(const std::vector<std::string>& words) {
  char** list = static_cast<char**>(std::calloc(words.size() + 1, sizeof(char*)));
  if (list == nullptr) return nullptr;
  for (size_t i = 0; i < words.size(); ++i) list[i] = strdup(words[i].c_str());
  return list;
}

}  // namespace

// The terminal session of HXO_RunScript(NULL) once a line reader is set; null without one.
int RunReaderSession() {
  if (lineReader == nullptr) return -1;
  ReaderLineSource source(lineReader, lineReaderContext);
  Console& console = ProcessConsole();
  FileTextSink sink(console.outputStream());
  ScriptSession session(ProcessWorkspace(), &source, &sink, console);
  session.state.name = "STDIN";
  ScriptOptions options = ScriptOptions::EntryDefaults();
  options.quiet = false;
  options.continueOnError = true;
  options.continueOnTypo = true;
  options.terminalSession = true;
  return session.Run(options);
}

extern "C" {

HXO_API void HXO_SetPromptInput(int source) {
  SetPromptChannel(source == HXO_PROMPTS_TERMINAL ? PromptChannel::Terminal
                   : source == HXO_PROMPTS_NONE   ? PromptChannel::None
                                                  : PromptChannel::Standard);
}

HXO_API void HXO_SetPageLength(int lines) { SetProgramPageLength(lines); }

HXO_API void HXO_SetLineReader(HXO_LineReader reader, void* context) {
  lineReader = reader;
  lineReaderContext = context;
}

HXO_API int HXO_RunCommands(const char* name, const char* commands) {
  StringLineSource source(commands);
  Console& console = ProcessConsole();
  FileTextSink sink(console.outputStream());
  ScriptSession session(ProcessWorkspace(), &source, &sink, console);
  session.state.name = name != nullptr ? name : "stringbuf";
  ForgetLastFailure();
  const int code = session.Run(ScriptOptions::EntryDefaults());
  ClearInterrupt();  // a request ends the run it was made in, not the next one
  console.FlushOutput();
  return code;
}

HXO_API char** HXO_Complete(const char* line, int start, int end) {
  if (line == nullptr || start < 0 || end < start) return NewList({});
  return NewList(CompletionsFor(ProcessWorkspace(), line, static_cast<size_t>(start),
                                static_cast<size_t>(end)));
}

HXO_API char** HXO_PendingObjects(void) {
  std::vector<std::string> names;
  for (const auto& [name, object] : ProcessWorkspace().registry()) {
    if (object->HasPropertyChanges() || object->RuleValuesChanged()) names.emplace_back(name);
  }
  return NewList(names);
}

HXO_API void HXO_FreeList(char** list) {
  if (list == nullptr) return;
  for (char** word = list; *word != nullptr; ++word) std::free(*word);
  std::free(list);
}

HXO_API void HXO_RequestInterrupt(void) { RequestInterrupt(); }

HXO_API int HXO_UnreportedFailure(char** script, int* line, char** command, char** what) {
  const FailureRecord& failure = LastFailure();
  if (failure.code == ResultCode::kOk || failure.code == ResultCode::kEndAll || failure.reported) {
    return 0;
  }
  if (script != nullptr) *script = strdup(failure.script.c_str());
  if (line != nullptr) *line = failure.line;
  if (command != nullptr) *command = strdup(failure.command.c_str());
  if (what != nullptr) *what = failure.what.empty() ? nullptr : strdup(failure.what.c_str());
  return failure.code;
}

HXO_API void HXO_SetExplain(int on) { SetExplainEveryScript(on != 0); }

HXO_API int HXO_SetOutputFormat(const char* format) {
  if (format == nullptr) return 1;
  if (std::strcmp(format, "text") == 0) {
    SetOutputFormat(OutputFormat::kText);
  } else if (std::strcmp(format, "json") == 0) {
    SetOutputFormat(OutputFormat::kJson);
  } else {
    return 1;
  }
  return 0;
}

}  // extern "C"
