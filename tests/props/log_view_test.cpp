// Reading a log in pieces: plain, tailed, backed up, followed, with the pager's answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_node.h"
#include "props/log_view.h"

namespace {

// Answers the pager from a script of letters: c continue, q quit, b back. When the script is
// used up it quits and notes that it ran dry.
class ScriptedConsole : public LogConsole {
 public:
  ScriptedConsole(int linesPerPage, std::string answers)
      : linesPerPage(linesPerPage), answers(std::move(answers)) {}

  PagerAnswer PrintLine(int pageLine, std::string_view line) override {
    printed.emplace_back(line);
    if (linesPerPage < 3 || pageLine % (linesPerPage - 1) != 0) return kPagerNoPrompt;
    return Answer("--more--");
  }
  PagerAnswer Prompt(const char* prompt) override { return Answer(prompt); }
  void Wait(int seconds) override { waits.push_back(seconds); }

  int linesPerPage;
  std::string answers;
  bool ranDry = false;
  std::vector<std::string> printed;
  std::vector<std::string> prompts;
  std::vector<int> waits;

 private:
  PagerAnswer Answer(const char* prompt) {
    prompts.emplace_back(prompt);
    if (answers.empty()) {
      ranDry = true;
      return kPagerQuit;
    }
    const char answer = answers[0];
    answers.erase(0, 1);
    return answer == 'q' ? kPagerQuit : answer == 'b' ? kPagerBack : kPagerContinue;
  }
};

// Line i of a log whose lines are all 64 bytes long with their line end, so that 64 of them
// fill a piece exactly.
std::string AlignedLine(int i) {
  std::string text = "line " + std::to_string(i) + " ";
  text.resize(63, '.');
  return text;
}
std::string AlignedLog(int count) {
  std::string log;
  for (int i = 0; i < count; ++i) log += AlignedLine(i) + "\n";
  return log;
}
std::vector<std::string> AlignedLines(int first, int last) {
  std::vector<std::string> lines;
  for (int i = first; i <= last; ++i) lines.push_back(AlignedLine(i));
  return lines;
}

// Lines of differing lengths, so that pieces end inside lines.
std::vector<std::string> RaggedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    lines.push_back("entry " + std::to_string(i) + " " + std::string(i * 7 % 90, 'x'));
  }
  return lines;
}
std::string Join(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

struct LogRun {
  FakeNode node;
  LogSwitches switches;
  int linesPerPage = 0;
  int followDelay = 5;

  bool Show(ScriptedConsole& console) {
    LogView view(node, console, switches, linesPerPage, followDelay);
    return view.Show();
  }
};

TEST(LogView, PrintsEveryLineOfALogOfManyPiecesOnce) {
  for (const char* lineEnd : {"\n", "\r\n", "\n\n", "\r"}) {
    LogRun run;
    const std::vector<std::string> lines = RaggedLines(600);
    run.node.logs = {Join(lines, lineEnd)};
    ASSERT_GT(run.node.logs[0].size(), 5 * 4096u);
    ScriptedConsole console(0, "");
    EXPECT_TRUE(run.Show(console));
    EXPECT_EQ(console.printed, lines) << "line end " << testing::PrintToString(lineEnd);
    EXPECT_TRUE(console.prompts.empty());
  }
}

TEST(LogView, TailInsideOnePieceSkipsTheCutLine) {
  LogRun run;
  run.node.logs = {AlignedLog(200)};
  run.switches.tailCount = 3;
  ScriptedConsole console(0, "");
  EXPECT_TRUE(run.Show(console));
  EXPECT_EQ(console.printed, AlignedLines(197, 199));
  EXPECT_EQ(run.node.requests.front(), "log:0:4096");

  // A log shorter than a piece starts at offset 0: its first line is not cut.
  LogRun small;
  small.node.logs = {"a\nb\nc\n"};
  small.switches.tailCount = 5;
  ScriptedConsole all(0, "");
  EXPECT_TRUE(small.Show(all));
  EXPECT_EQ(all.printed, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(LogView, TailAcrossPiecesWalksBackAPieceAtATime) {
  LogRun run;
  run.node.logs = {AlignedLog(200)};
  run.switches.tailCount = 100;
  ScriptedConsole console(0, "");
  EXPECT_TRUE(run.Show(console));
  // Each piece read backwards loses its first line as cut; the line at the boundary of the
  // piece where counting ended is shown again when reading forwards, so one more line shows.
  EXPECT_EQ(console.printed, AlignedLines(99, 199));
  EXPECT_EQ(run.node.requests[0], "log:0:4096");
  EXPECT_EQ(run.node.requests[1], "log:0:4608:4096");
}

TEST(LogView, TailLongerThanTheLogShowsItAllOnce) {
  LogRun run;
  const std::vector<std::string> lines = RaggedLines(120);  // between one and two pieces
  run.node.logs = {Join(lines, "\n")};
  ASSERT_GT(run.node.logs[0].size(), 4096u);
  ASSERT_LT(run.node.logs[0].size(), 8192u);
  run.switches.tailCount = 1000;
  ScriptedConsole console(0, "");
  EXPECT_TRUE(run.Show(console));
  // The line that the end piece begins inside shows in two parts; nothing shows twice.
  ASSERT_EQ(console.printed.size(), lines.size() + 1);
  EXPECT_EQ(console.printed.front(), lines.front());
  EXPECT_EQ(console.printed.back(), lines.back());
}

TEST(LogView, BackOnTheFirstPageStartsAgain) {
  LogRun run;
  run.node.logs = {AlignedLog(200)};
  run.linesPerPage = 5;
  ScriptedConsole console(5, "bq");
  EXPECT_TRUE(run.Show(console));
  std::vector<std::string> expected = AlignedLines(0, 3);
  for (const std::string& line : AlignedLines(0, 3)) expected.push_back(line);
  EXPECT_EQ(console.printed, expected);
}

TEST(LogView, BackAcrossAPieceBoundaryReadsTheEarlierPiece) {
  LogRun run;
  run.node.logs = {AlignedLog(200)};
  run.linesPerPage = 5;
  // The first piece shows lines 0 to 62; line 63 opens the second and ends page 16.
  ScriptedConsole console(5, std::string(15, 'c') + "bq");
  EXPECT_TRUE(run.Show(console));
  std::vector<std::string> expected = AlignedLines(0, 63);
  for (const std::string& line : AlignedLines(56, 59)) expected.push_back(line);
  EXPECT_EQ(console.printed, expected);
}

TEST(LogView, FollowWaitsAndShowsNewLinesUntilQuit) {
  LogRun run;
  run.node.logs = {"first\n"};
  run.node.logFeed = {"fed 1", "fed 2", "fed 3"};
  run.linesPerPage = 3;  // a prompt after every second line
  run.followDelay = 1;
  run.switches.follow = true;
  ScriptedConsole console(3, "cq");
  EXPECT_TRUE(run.Show(console));
  EXPECT_EQ(console.printed, (std::vector<std::string>{"first", "fed 1", "fed 2", "fed 3"}));
  EXPECT_FALSE(console.ranDry);
  ASSERT_FALSE(console.waits.empty());
  EXPECT_EQ(console.waits.front(), 1);
}

TEST(LogView, ALineLongerThanAPieceIsShownInPartsAndTheRunEnds) {
  LogRun run;
  run.node.logs = {std::string(10000, 'z') + "\nafter\n"};
  ScriptedConsole console(0, "");
  EXPECT_TRUE(run.Show(console));
  ASSERT_EQ(console.printed.size(), 4u);
  EXPECT_EQ(console.printed[0], std::string(4096, 'z'));
  EXPECT_EQ(console.printed[3], "after");
}

TEST(LogView, SplitsOnBothLineEndsAndDropsEmptyLines) {
  const std::vector<LogLine> lines = SplitLogLines("\r\nab\r\n\ncd\re");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].offset, 2u);
  EXPECT_EQ(lines[0].length, 2u);
  EXPECT_EQ(lines[1].offset, 7u);
  EXPECT_EQ(lines[2].offset, 10u);
  EXPECT_EQ(lines[2].length, 1u);
  EXPECT_TRUE(SplitLogLines("\n\r\n").empty());
}

}  // namespace
