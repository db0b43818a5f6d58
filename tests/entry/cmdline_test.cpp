// The program's command line: script, -c, standard input, --sim, --help, --version, errors.
#include <gtest/gtest.h>

#include "common/process_runner.h"

namespace {

TEST(Cmdline, CommandTextPrintsCapturedListingsAndReturnsZeroOrOne) {
  ProcessResult ok = runCmdline({"-c", "PRINT hi"});
  EXPECT_EQ(ok.out, "hi\n");
  EXPECT_EQ(ok.exitCode, 0);
  ProcessResult quit = runCmdline({"-c", "QUIT"});
  EXPECT_EQ(quit.exitCode, 1);
}

TEST(Cmdline, ScriptExitStatusIsTheResultCode) {
  TempDir dir;
  EXPECT_EQ(runCmdline({dir.write("s.hxo", "SET LINES 1\n")}).exitCode, 7);
  EXPECT_EQ(runCmdline({dir.write("q.hxo", "EXIT\n")}).exitCode, 6);
}

TEST(Cmdline, MissingScriptSaysSoAndNamesItAsTyped) {
  ProcessResult result = runCmdline({"no/such.hxo"});
  EXPECT_EQ(result.err, "no/such.hxo: Cannot open file.\n");
  EXPECT_EQ(result.exitCode, 5);
}

TEST(Cmdline, StandardInputIsASessionWithoutPromptWhenNotATerminal) {
  ProcessResult result = runCmdline({}, "PRINT piped\nbogus\n");
  EXPECT_EQ(result.out, "piped\n");
  EXPECT_EQ(result.err, "STDIN:2: Unknown command: bogus.\n");
  EXPECT_EQ(result.exitCode, 8);
}

TEST(Cmdline, QuietOffShowsThePromptBeforeEveryLine) {
  ProcessResult result = runCmdline({}, "SET QUIET OFF\nPRINT x\n");
  EXPECT_EQ(result.out, "> x\n> ");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(Cmdline, StandardInputCannotBeIncludedByName) {
  // A script file runs, so a standard-input session would be refused; INCLUDE only ever names
  // files, so this shows as a missing file named "-".
  TempDir dir;
  ProcessResult result = runScriptIn(dir, "t.hxo", "INCLUDE -\nPRINT on\n");
  EXPECT_EQ(result.err, "-: Cannot open file.\n");
  EXPECT_EQ(result.out, "on\n");
}

TEST(Cmdline, HelpAndVersion) {
  ProcessResult help = runCmdline({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: hxo_cmdline [--sim FILE] [-c COMMANDS] [SCRIPT]"),
            std::string::npos);
  ProcessResult version = runCmdline({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("hxo_cmdline ", 0), 0u);
}

TEST(Cmdline, BadCommandLinesExitWith64) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bogus"}, {"-c"}, {"--sim"}, {"a.hxo", "b.hxo"}, {"-c", "PRINT", "a.hxo"}};
  for (const auto& arguments : bad) {
    ProcessResult result = runCmdline(arguments);
    EXPECT_EQ(result.exitCode, 64) << arguments[0];
    EXPECT_NE(result.err.find("usage:"), std::string::npos) << arguments[0];
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
