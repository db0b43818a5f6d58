// The pager's prompts and answers, and the arithmetic of going back a page.
#include "runtime/pager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "common/process_runner.h"
#include "runtime/line_source.h"
#include "runtime/command_context.h"

namespace {

// Feeds standard input of this test process from text.
void giveStandardInput(const TempDir& dir, const std::string& text) {
  ASSERT_NE(std::freopen(dir.write("stdin", text).c_str(), "r", stdin), nullptr);
}

// A session with an empty script whose sink captures what the pager writes.
SessionState StringSession(TextSink* sink) {
  SessionState state;
  state.name = "stringbuf";
  state.sink = sink;
  return state;
}

struct CapturingSession {
  StringLineSource source{""};
  StringTextSink sink;
  SessionState session = StringSession(&sink);
  ScriptOptions options;
  std::string line;
  CommandContext command{session, options, 1, line, {}};
};

TEST(PagedPrint, PromptsAfterEveryPageAndCapturesTheLines) {
  TempDir dir;
  giveStandardInput(dir, "\nqu and more\nb\n");
  CapturingSession capturing;
  ScriptOptions& options = capturing.options;
  options.linesPerPage = 3;
  testing::internal::CaptureStdout();
  std::vector<PagerAnswer> answers;
  for (int line = 1; line <= 6; ++line) {
    answers.push_back(pagedPrint(capturing.command, line, "line %d %s", line, "%s"));
  }
  std::string console = testing::internal::GetCapturedStdout();
  EXPECT_EQ(answers, (std::vector<PagerAnswer>{kPagerNoPrompt, kPagerContinue, kPagerNoPrompt,
                                               kPagerQuit, kPagerNoPrompt, kPagerBack}));
  EXPECT_EQ(console, "--more-- --more-- --more-- ");
  EXPECT_EQ(capturing.sink.contents(),
            "line 1 %s\nline 2 %s\nline 3 %s\nline 4 %s\nline 5 %s\nline 6 %s\n");
}

TEST(PagedPrint, NoPromptBelowThreeLinesPerPage) {
  CapturingSession capturing;
  for (int linesPerPage : {0, 1, 2}) {
    ScriptOptions& options = capturing.options;
    options.linesPerPage = linesPerPage;
    for (int line = 1; line <= 50; ++line) {
      EXPECT_EQ(pagedPrint(capturing.command, line, "x"), kPagerNoPrompt);
    }
  }
}

TEST(PagedPrint, VeryLongLinesArePassedOnWhole) {
  CapturingSession capturing;
  std::string text(10000, 'L');
  pagedPrint(capturing.command, 1, "%s", text.c_str());
  EXPECT_EQ(capturing.sink.contents(), text + "\n");
}

TEST(PagerPrompt, OnlyTheFirstCharacterCounts) {
  TempDir dir;
  giveStandardInput(dir, "Q\nback\nyes\n\n" + std::string(5000, 'q') + "\n");
  testing::internal::CaptureStdout();
  std::vector<PagerAnswer> answers;
  for (int i = 0; i < 6; ++i) answers.push_back(pagerPrompt("--EOF--"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "--EOF-- --EOF-- --EOF-- --EOF-- --EOF-- --EOF-- ");
  // The sixth read meets the end of input, which continues.
  EXPECT_EQ(answers, (std::vector<PagerAnswer>{kPagerQuit, kPagerBack, kPagerContinue,
                                               kPagerContinue, kPagerQuit, kPagerContinue}));
}

// Prints a listing of a header and items through ListingPager with the given answers at the
// prompts, returning the printed lines in order.
std::vector<std::string> pageThrough(int linesPerPage, size_t items,
                                     std::vector<PagerAnswer> answersAtPrompts) {
  ScriptOptions options;
  options.linesPerPage = linesPerPage;
  ListingPager pager(options);
  std::vector<std::string> printed;
  size_t nextAnswer = 0;
  pager.Start();
  while (pager.atHeader() || pager.item() < items) {
    printed.push_back(pager.atHeader() ? "H" : std::to_string(pager.item()));
    PagerAnswer answer = kPagerNoPrompt;
    if (pager.lineNumber() % (linesPerPage - 1) == 0) {
      answer = nextAnswer < answersAtPrompts.size() ? answersAtPrompts[nextAnswer++]
                                                    : kPagerContinue;
    }
    if (!pager.Follow(answer)) break;
  }
  return printed;
}

TEST(ListingPager, BackOnTheFirstTwoPagesStartsAgainFromTheHeader) {
  using V = std::vector<std::string>;
  EXPECT_EQ(pageThrough(3, 4, {kPagerBack}), (V{"H", "0", "H", "0", "1", "2", "3"}));
  EXPECT_EQ(pageThrough(3, 4, {kPagerContinue, kPagerBack}),
            (V{"H", "0", "1", "2", "H", "0", "1", "2", "3"}));
}

TEST(ListingPager, BackOnTheThirdPromptShowsTheSecondPageAgain) {
  using V = std::vector<std::string>;
  // Pages of two lines: [H 0] [1 2] [3 4]; back at the third prompt re-prints [1 2].
  EXPECT_EQ(pageThrough(3, 6, {kPagerContinue, kPagerContinue, kPagerBack}),
            (V{"H", "0", "1", "2", "3", "4", "1", "2", "3", "4", "5"}));
  // Pages of 24 lines at the default length.
  std::vector<std::string> printed =
      pageThrough(25, 100, {kPagerContinue, kPagerContinue, kPagerBack, kPagerQuit});
  ASSERT_EQ(printed.size(), 72u + 24u);
  EXPECT_EQ(printed[72], "23");  // line 25 of the listing, the first of the second page
  EXPECT_EQ(printed.back(), "46");
}

TEST(ListingPager, QuitStopsAtOnce) {
  EXPECT_EQ(pageThrough(3, 10, {kPagerQuit}), (std::vector<std::string>{"H", "0"}));
}

}  // namespace
