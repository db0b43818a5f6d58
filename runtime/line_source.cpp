#include "runtime/line_source.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "runtime/bounded_line.h"

bool LineSource::ReadWholeLine(std::string& line) {
  line.clear();
  constexpr int kCapacity = 1024;
  char buffer[kCapacity];
  bool readAny = false;
  // A piece that fills the buffer without a line end is followed by the rest of its line.
  for (;;) {
    buffer[0] = '\0';
    if (!readLine(buffer, kCapacity)) break;
    readAny = true;
    size_t length = std::strlen(buffer);
    line.append(buffer, length);
    if (length < kCapacity - 1 || buffer[length - 1] == '\n' || !hasMore()) break;
  }
  return readAny;
}

FileLineSource::FileLineSource(FILE* openStream) : stream(openStream) {}

FileLineSource::FileLineSource(const std::string& path) : path(path) {
  if (!path.empty()) stream = std::fopen(path.c_str(), "r");
}

FileLineSource::~FileLineSource() {
  if (!path.empty() && stream != nullptr) std::fclose(stream);
}

bool FileLineSource::readLine(char* buffer, int capacity) {
  if (stream == nullptr) return false;
  return std::fgets(buffer, capacity, stream) != nullptr;
}

bool FileLineSource::IsReadableFile() const {
  struct stat status;
  return stream != nullptr && fstat(fileno(stream), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool FileLineSource::hasMore() {
  if (stream == nullptr || longLine || std::feof(stream)) return false;
  // A script file is looked ahead into, so that its last line is known to be the last and a
  // failure there stays the script's result. Standard input is never looked ahead into: that
  // would wait for the person typing before the prompt is shown.
  if (!path.empty()) {
    int next = std::getc(stream);
    if (next == EOF) return false;
    std::ungetc(next, stream);
  }
  return true;
}

bool FileLineSource::ReadWholeLine(std::string& line) {
  line.clear();
  if (stream == nullptr || longLine) return false;
  switch (ReadBoundedLine(stream, line)) {
    case LineRead::kLine: break;
    case LineRead::kEnd: return false;
    case LineRead::kTooLong:
      longLine = true;
      line.clear();
      return false;
  }
  // A NUL byte ends the line's text, as it does for every C text; the line end stays.
  if (size_t nul = line.find('\0'); nul != std::string::npos) {
    const bool ended = line.back() == '\n';
    line.resize(nul);
    if (ended) line.push_back('\n');
  }
  return true;
}

StringLineSource::StringLineSource(const char* commands) : text(commands ? commands : "") {}

size_t StringLineSource::NextLineEnd() const { return text.find('\n', position); }

void StringLineSource::AdvancePast(size_t lineEnd) {
  if (lineEnd == std::string::npos || lineEnd + 1 >= text.size()) {
    position = std::string::npos;
  } else {
    position = lineEnd + 1;
  }
}

bool StringLineSource::readLine(char* buffer, int capacity) {
  if (position == std::string::npos || capacity <= 0) return false;
  size_t lineEnd = NextLineEnd();
  size_t length = (lineEnd == std::string::npos ? text.size() : lineEnd) - position;
  size_t room = static_cast<size_t>(capacity) - 1;
  if (length > room) {
    // The rest of the line comes with the next call.
    std::memcpy(buffer, text.data() + position, room);
    buffer[room] = '\0';
    position += room;
    return true;
  }
  std::memcpy(buffer, text.data() + position, length);
  buffer[length] = '\0';
  AdvancePast(lineEnd);
  return true;
}

bool StringLineSource::ReadWholeLine(std::string& line) {
  if (position == std::string::npos) {
    line.clear();
    return false;
  }
  size_t lineEnd = NextLineEnd();
  size_t end = lineEnd == std::string::npos ? text.size() : lineEnd;
  line.assign(text, position, end - position);
  AdvancePast(lineEnd);
  return true;
}
