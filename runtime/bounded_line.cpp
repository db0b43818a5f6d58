#include "runtime/bounded_line.h"

#include <algorithm>
#include <cstring>

// fgets reads a piece up to a line end, but its text may hold NUL bytes, so strlen cannot tell
// how much it stored. The piece is therefore filled with line ends first: after fgets, the first
// line end followed by a NUL is the line's own; without one, the piece was filled (its last byte
// is the NUL) or the input ended (the NUL stands before the first line end of the filling).
LineRead ReadBoundedLine(FILE* stream, std::string& line, size_t limit) {
  line.clear();
  size_t piece = 256;
  for (;;) {
    if (line.size() == limit) {
      const int next = std::getc(stream);
      if (next == '\n') line.push_back('\n');
      if (next == '\n' || next == EOF) return line.empty() ? LineRead::kEnd : LineRead::kLine;
      std::ungetc(next, stream);
      return LineRead::kTooLong;
    }
    const size_t start = line.size();
    const size_t room = std::min(piece, limit - start) + 1;  // the text and fgets' NUL
    line.resize(start + room);
    char* buffer = line.data() + start;
    std::memset(buffer, '\n', room);
    if (std::fgets(buffer, static_cast<int>(room), stream) == nullptr) {
      line.resize(start);
      return line.empty() ? LineRead::kEnd : LineRead::kLine;
    }
    const char* end = static_cast<const char*>(std::memchr(buffer, '\n', room));
    if (end == nullptr) {  // the piece is full and the line goes on
      line.resize(start + room - 1);
      if (piece < (size_t{1} << 16)) piece *= 2;
    } else if (end + 1 < buffer + room && end[1] == '\0') {  // the line's own end
      line.resize(start + static_cast<size_t>(end - buffer) + 1);
      return LineRead::kLine;
    } else {  // the input ended: the NUL of fgets stands just before this line end
      line.resize(start + static_cast<size_t>(end - buffer) - 1);
      return LineRead::kLine;
    }
  }
}
