// The library's entry points, called in this process; the output streams are captured.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/script_options.h"
#include "hxo/hxo.h"

namespace {

struct Captured {
  int result;
  std::string out;
  std::string err;
};

Captured run(const char* commands, char** output) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int result = HXO_ExecuteCommandsGetOutput(commands, output);
  std::fflush(stdout);
  Captured captured{result, testing::internal::GetCapturedStdout(),
                    testing::internal::GetCapturedStderr()};
  return captured;
}

TEST(ExportedFunctions, PrintGoesToStandardOutputAndNeverToTheCapture) {
  for (const char* commands : {"", "PRINT hello"}) {
    char* output = nullptr;
    Captured captured = run(commands, &output);
    EXPECT_EQ(captured.result, 0);
    EXPECT_EQ(captured.out, *commands == '\0' ? "" : "hello\n");
    ASSERT_NE(output, nullptr);
    EXPECT_STREQ(output, "");
    std::free(output);
  }
}

TEST(ExportedFunctions, QuitReturnsOne) {
  EXPECT_EQ(run("quit\nPRINT never", nullptr).result, 1);
}

TEST(ExportedFunctions, FailuresNameTheStringSession) {
  Captured captured = run("SET CONTINUE TYPO\nbogus\nPRINT go\nnope\n", nullptr);
  EXPECT_EQ(captured.result, 1);
  EXPECT_EQ(captured.out, "go\n");
  EXPECT_EQ(captured.err,
            "stringbuf:2: Unknown command: bogus.\nstringbuf:4: Unknown command: nope.\n");
}

TEST(ExportedFunctions, EmptyLinesDoNotEndTheText) {
  Captured captured = run("PRINT a\n\n\nPRINT b\nbad", nullptr);
  EXPECT_EQ(captured.out, "a\nb\n");
  EXPECT_EQ(captured.err, "stringbuf:5: Unknown command: bad.\n");
}

TEST(ExportedFunctions, HistoryEntriesOfACommandTextHaveNoLineEnds) {
  Captured captured = run("PRINT a\nPRINT b\nHISTORY", nullptr);
  EXPECT_EQ(captured.out, "a\nb\n1. PRINT a2. PRINT b");
}

TEST(ExportedFunctions, ALineLongerThanTheBufferIsOneCommand) {
  std::string word(5000, 'k');
  Captured captured = run(("PRINT " + word).c_str(), nullptr);
  EXPECT_EQ(captured.out, word + "\n");
}

TEST(ExportedFunctions, RegistryOfRunningScriptsIsSharedAcrossCalls) {
  // A second call starts from scratch for everything but process-wide state; nothing of the
  // first call's history survives.
  run("PRINT first", nullptr);
  Captured captured = run("!1", nullptr);
  EXPECT_EQ(captured.err, "stringbuf:1: Unknown history entry: 1.\n");
}

TEST(EntryDefaults, LinesPerPageComesFromTheEnvironment) {
  struct Case {
    const char* value;  // null: unset
    int linesPerPage;
  };
  const Case cases[] = {{nullptr, 25}, {"40", 40}, {"abc", 25}, {"0", 25},
                        {"-3", -3},    {"1", 1},   {" 12x", 12}};
  for (const Case& c : cases) {
    if (c.value == nullptr) {
      unsetenv("LINES");
    } else {
      setenv("LINES", c.value, 1);
    }
    EXPECT_EQ(ScriptOptions::EntryDefaults().linesPerPage, c.linesPerPage)
        << (c.value ? c.value : "unset");
  }
  ScriptOptions options = ScriptOptions::EntryDefaults();
  EXPECT_TRUE(options.quiet);
  EXPECT_FALSE(options.continueOnError || options.continueOnTypo || options.verbose ||
               options.stepping);
  EXPECT_STREQ(options.objectSeparator, ".");
  EXPECT_EQ(options.followDelay, 5);
}

}  // namespace
