// Reading one line of a stream within a bound, so that a file or device without line ends (such
// as /dev/zero given as a script) cannot take all memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The longest line read from a script file, standard input or a console answer, line end
// excluded: 16 MiB.
constexpr size_t kMaxLineBytes = size_t{16} << 20;

enum class LineRead {
  kLine,     // a line, with its line end unless the input ended first
  kEnd,      // nothing was left to read
  kTooLong,  // limit bytes came without a line end: they are in line, the rest is left unread
};

// Reads the next line of stream into line (replacing its content).
LineRead ReadBoundedLine(FILE* stream, std::string& line, size_t limit = kMaxLineBytes);
