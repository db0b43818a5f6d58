#include "runtime/line_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/process_runner.h"

namespace {

std::vector<std::string> wholeLines(LineSource& source) {
  std::vector<std::string> lines;
  std::string line;
  while (source.hasMore() && source.ReadWholeLine(line)) lines.push_back(line);
  return lines;
}

TEST(StringLineSource, DeliversWholeLinesWithoutLineFeeds) {
  using Lines = std::vector<std::string>;
  const std::string longLine(100000, 'y');  // a whole line has no length limit
  const std::pair<std::string, Lines> cases[] = {
      {"A\nB\n", {"A", "B"}},
      {"A\nB", {"A", "B"}},  // the last line without line end is read once
      {"", {""}},            // an empty text is one empty line
      {"A\n\n\nB\r\n", {"A", "", "", "B\r"}},
      {longLine, {longLine}},
  };
  for (const auto& [text, lines] : cases) {
    StringLineSource source(text.c_str());
    EXPECT_EQ(wholeLines(source), lines) << text.substr(0, 20);
    EXPECT_FALSE(source.hasMore());
  }
}

TEST(StringLineSource, ReadLineNeverWritesPastCapacityAndContinuesTheLine) {
  std::string longLine(2500, 'x');
  StringLineSource source((longLine + "\nnext").c_str());
  char buffer[1024];
  std::memset(buffer, '?', sizeof buffer);
  ASSERT_TRUE(source.readLine(buffer, 1024));
  EXPECT_EQ(std::strlen(buffer), 1023u);
  // The default joining of pieces gives the whole line back.
  std::string rest;
  ASSERT_TRUE(source.LineSource::ReadWholeLine(rest));
  EXPECT_EQ(rest.size(), 2500u - 1023u);
  ASSERT_TRUE(source.ReadWholeLine(rest));
  EXPECT_EQ(rest, "next");
}

TEST(FileLineSource, MissingFileHasNothing) {
  FileLineSource source(std::string("/nonexistent/file.hxo"));
  char buffer[16];
  EXPECT_FALSE(source.hasMore());
  EXPECT_FALSE(source.readLine(buffer, 16));
  EXPECT_FALSE(source.IsReadableFile());
}

TEST(FileLineSource, DirectoryIsNotAReadableFile) {
  TempDir dir;
  FileLineSource source(dir.path());
  EXPECT_FALSE(source.IsReadableFile());
}

TEST(FileLineSource, KeepsLineEndsJoinsLongLinesAndStopsTextAtNul) {
  TempDir dir;
  std::string longLine(3000, 'z');
  std::string content = "first\n" + longLine + "\n" + std::string("ab\0cd\n", 6) + "last";
  FileLineSource source(dir.write("s.hxo", content));
  EXPECT_EQ(wholeLines(source),
            (std::vector<std::string>{"first\n", longLine + "\n", "ab\n", "last"}));
}

TEST(FileLineSource, ReadLineDeliversLongLinesInPieces) {
  TempDir dir;
  FileLineSource source(dir.write("s.hxo", std::string(1500, 'q') + "\n"));
  char buffer[1024];
  ASSERT_TRUE(source.readLine(buffer, 1024));
  EXPECT_EQ(std::strlen(buffer), 1023u);
  ASSERT_TRUE(source.readLine(buffer, 1024));
  EXPECT_EQ(std::string(buffer), std::string(477, 'q') + "\n");
}

}  // namespace
