// The library's entry points.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "entry/process_console.h"
#include "entry/process_workspace.h"
#include "entry/script_session.h"
#include "hxo/hxo.h"
#include "runtime/failure_record.h"
#include "runtime/interrupt.h"
#include "runtime/line_source.h"
#include "runtime/text_sink.h"

// The terminal session over the program's line reader; -1 when none is set
// (entry/program_interface.cpp).
int RunReaderSession();

extern "C" {

HXO_API int HXO_ExecuteCommandsGetOutput(const char* commands, char** output) {
  StringLineSource source(commands);
  StringTextSink sink;
  ScriptSession session(ProcessWorkspace(), &source, &sink, ProcessConsole());
  ForgetLastFailure();
  const int code = session.Run(ScriptOptions::EntryDefaults());
  ClearInterrupt();  // a request ends the run it was made in, not the next one
  // In JSON, a line the script left unended goes out as a document of its own.
  ProcessConsole().FlushOutput();
  if (output != nullptr) *output = strdup(sink.contents().c_str());
  return code != 0 ? 1 : 0;
}

HXO_API int HXO_ExecuteCommands(const char* commands) {
  return HXO_ExecuteCommandsGetOutput(commands, nullptr);
}

HXO_API int HXO_RunScript(const char* fileName) {
  if (fileName == nullptr) {
    const int code = RunReaderSession();
    ClearInterrupt();
    if (code >= 0) return code;
  }
  ForgetLastFailure();
  ScriptOptions options = ScriptOptions::EntryDefaults();
  // A person typing at a terminal sees the prompt.
  if (fileName == nullptr && isatty(STDIN_FILENO)) options.quiet = false;
  const int code = runScript(fileName, options, ProcessConsole());
  ClearInterrupt();
  ProcessConsole().FlushOutput();
  return code;
}

}  // extern "C"
