#include "entry/line_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/process_runner.h"

namespace {

std::vector<std::string> wholeLines(LineSource& source) {
  std::vector<std::string> lines;
  std::string line;
  while (source.hasMore() && source.readWholeLine(line)) lines.push_back(line);
  return lines;
}

TEST(StringLineSource, DeliversLinesWithoutLineEnds) {
  StringLineSource source("A\nB\n");
  EXPECT_EQ(wholeLines(source), (std::vector<std::string>{"A", "B"}));
  EXPECT_FALSE(source.hasMore());
}

TEST(StringLineSource, LastLineWithoutLineEndIsReadOnce) {
  StringLineSource source("A\nB");
  EXPECT_EQ(wholeLines(source), (std::vector<std::string>{"A", "B"}));
}

TEST(StringLineSource, EmptyTextYieldsOneEmptyLine) {
  StringLineSource source("");
  EXPECT_TRUE(source.hasMore());
  EXPECT_EQ(wholeLines(source), (std::vector<std::string>{""}));
}

TEST(StringLineSource, ReadingGoesOnAfterAnEmptyLine) {
  StringLineSource source("A\n\n\nB\r\n");
  EXPECT_EQ(wholeLines(source), (std::vector<std::string>{"A", "", "", "B\r"}));
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
  ASSERT_TRUE(source.LineSource::readWholeLine(rest));
  EXPECT_EQ(rest.size(), 2500u - 1023u);
  ASSERT_TRUE(source.readWholeLine(rest));
  EXPECT_EQ(rest, "next");
}

TEST(StringLineSource, WholeLineHasNoLengthLimit) {
  std::string longLine(100000, 'y');
  StringLineSource source(longLine.c_str());
  EXPECT_EQ(wholeLines(source), (std::vector<std::string>{longLine}));
}

TEST(FileLineSource, MissingFileHasNothing) {
  FileLineSource source(std::string("/nonexistent/file.hxo"));
  char buffer[16];
  EXPECT_FALSE(source.hasMore());
  EXPECT_FALSE(source.readLine(buffer, 16));
  EXPECT_FALSE(source.isReadableFile());
}

TEST(FileLineSource, DirectoryIsNotAReadableFile) {
  TempDir dir;
  FileLineSource source(dir.path());
  EXPECT_FALSE(source.isReadableFile());
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
