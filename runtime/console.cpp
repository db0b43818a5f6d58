#include "runtime/console.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/bounded_line.h"

void ConsolePrint(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
}

// The library runs on one thread, so the stream's lock is not needed.
void ConsoleWrite(std::string_view text) { fwrite_unlocked(text.data(), 1, text.size(), stdout); }

namespace {
unsigned long errorWrites = 0;
}  // namespace

unsigned long ConsoleErrorCount() { return errorWrites; }

void ConsoleErrorV(const char* format, va_list arguments) {
  ++errorWrites;
  std::fflush(stdout);
  std::vfprintf(stderr, format, arguments);
}

void ConsoleError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  ConsoleErrorV(format, arguments);
  va_end(arguments);
}

bool ConsoleReadLine(std::string& line) {
  std::fflush(stdout);
  // Of a line longer than the bound, the rest is left for the next read.
  if (ReadBoundedLine(stdin, line) == LineRead::kEnd) return false;
  if (line.back() == '\n') line.pop_back();
  return true;
}
