#include "runtime/console.h"

#include "runtime/bounded_line.h"

void Console::Print(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(output, format, arguments);
  va_end(arguments);
}

// The library runs on one thread, so the stream's lock is not needed.
void Console::Write(std::string_view text) { fwrite_unlocked(text.data(), 1, text.size(), output); }

void Console::ErrorV(const char* format, va_list arguments) {
  ++errorWrites;
  std::fflush(output);
  std::vfprintf(error, format, arguments);
}

void Console::Error(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  ErrorV(format, arguments);
  va_end(arguments);
}

bool Console::ReadLine(std::string& line) {
  std::fflush(output);
  // Of a line longer than the bound, the rest is left for the next read.
  if (ReadBoundedLine(input, line) == LineRead::kEnd) return false;
  if (line.back() == '\n') line.pop_back();
  return true;
}
