#include "runtime/command_context.h"

#include <cstdarg>

#include "runtime/failure_explanation.h"

void CommandContext::Report(const char* format, ...) const {
  console.Error("%s:%d: ", session.name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  console.ErrorV(format, arguments);
  va_end(arguments);
}

bool CommandContext::Fail(int code, const char* format, ...) const {
  session.resultCode = code;
  console.Error("%s:%d: ", session.name.c_str(), lineNumber);
  va_list arguments;
  va_start(arguments, format);
  console.ErrorV(format, arguments);
  va_end(arguments);
  ExplainFailure(*this);
  return false;
}
