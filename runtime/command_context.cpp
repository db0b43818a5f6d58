#include "runtime/command_context.h"

#include <cstdarg>

#include "runtime/console.h"
#include "runtime/failure_explanation.h"

void CommandContext::Report(const char* format, ...) const {
  ConsoleError("%s:%d: ", session.name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  ConsoleErrorV(format, arguments);
  va_end(arguments);
}

bool CommandContext::Fail(int code, const char* format, ...) const {
  session.resultCode = code;
  ConsoleError("%s:%d: ", session.name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  ConsoleErrorV(format, arguments);
  va_end(arguments);
  ExplainFailure(*this);
  return false;
}
