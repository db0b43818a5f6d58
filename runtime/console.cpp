#include "runtime/console.h"

#include <cstdio>
#include <cstdlib>

void ConsolePrint(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
}

// The library runs on one thread, so the stream's lock is not needed.
void ConsoleWrite(std::string_view text) {
  fwrite_unlocked(text.data(), 1, text.size(), stdout);
}

void ConsoleErrorV(const char* format, va_list arguments) {
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
  line.clear();
  char* buffer = nullptr;
  size_t capacity = 0;
  ssize_t length = getline(&buffer, &capacity, stdin);
  if (length > 0) {
    line.assign(buffer, static_cast<size_t>(length));
    if (!line.empty() && line.back() == '\n') line.pop_back();
  }
  std::free(buffer);
  return length > 0;
}
