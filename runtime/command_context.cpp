#include "runtime/command_context.h"

#include <cstdarg>

#include "runtime/failure_explanation.h"
#include "runtime/formatted.h"

void CommandContext::Report(const char* format, ...) const {
  va_list arguments;
  va_start(arguments, format);
  const std::string message = FormattedV(format, arguments);
  va_end(arguments);
  console.Failure(session.name, lineNumber, std::nullopt, message);
}

bool CommandContext::Fail(int code, const char* format, ...) const {
  session.resultCode = code;
  va_list arguments;
  va_start(arguments, format);
  const std::string message = FormattedV(format, arguments);
  va_end(arguments);
  console.Failure(session.name, lineNumber, code, message);
  ExplainFailure(*this);
  return false;
}

void CommandContext::Confirm(const char* format, ...) const {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = FormattedV(format, arguments);
  va_end(arguments);
  console.Message(session.name, lineNumber, text);
}
