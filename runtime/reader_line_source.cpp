#include "runtime/reader_line_source.h"

#include <cstdlib>
#include <cstring>

#include "runtime/interrupt.h"

bool ReaderLineSource::NextLine(std::string_view& line) {
  const bool read = ReadOneLine(current);
  line = current;
  return read;
}

bool ReaderLineSource::ReadOneLine(std::string& line) {
  line.clear();
  if (!pending.empty()) {
    line.swap(pending);
    return true;
  }
  if (ended) return false;
  ClearInterrupt();
  char* text = reader(context, "> ");
  if (text == nullptr) {
    ended = true;
    return false;
  }
  line.assign(text);
  std::free(text);
  line.push_back('\n');
  return true;
}

bool ReaderLineSource::readLine(char* buffer, int capacity) {
  if (capacity <= 0) return false;
  if (pending.empty() && !ReadOneLine(pending)) return false;
  const size_t length = std::min(pending.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, pending.data(), length);
  buffer[length] = '\0';
  pending.erase(0, length);
  return true;
}
