#include "runtime/bounded_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/process_runner.h"

namespace {

// Every read of content until the end, as "line" or "TOO LONG:line".
std::vector<std::string> reads(const std::string& content, size_t limit) {
  TempDir dir;
  FILE* stream = std::fopen(dir.write("f", content).c_str(), "r");
  std::vector<std::string> result;
  std::string line;
  for (LineRead read; (read = readBoundedLine(stream, line, limit)) != LineRead::kEnd;) {
    result.push_back((read == LineRead::kTooLong ? "TOO LONG:" : "") + line);
  }
  std::fclose(stream);
  return result;
}

TEST(BoundedLine, PiecesNulBytesInputEndsAndTheLimit) {
  using std::string;
  using Reads = std::vector<string>;
  const string x255(255, 'x'), x256(256, 'x'), x5000(5000, 'x');
  EXPECT_EQ(reads("", 100), Reads{});
  EXPECT_EQ(reads("a\nb", 100), (Reads{"a\n", "b"}));
  // Lines that end on and around the edges of the pieces fgets fills.
  EXPECT_EQ(reads(x255 + "\n" + x256 + "\n" + x5000 + "\n", 10000),
            (Reads{x255 + "\n", x256 + "\n", x5000 + "\n"}));
  // NUL bytes are text like any other, also next to a line end or the end of the input.
  EXPECT_EQ(reads(string("a\0b\n\0\n\0", 7), 100),
            (Reads{string("a\0b\n", 4), string("\0\n", 2), string("\0", 1)}));
  // The limit counts the text without its line end; the rest of a longer line stays unread.
  EXPECT_EQ(reads("abcd\nabcd", 4), (Reads{"abcd\n", "abcd"}));
  EXPECT_EQ(reads("abcdef\n", 4), (Reads{"TOO LONG:abcd", "ef\n"}));
}

}  // namespace
