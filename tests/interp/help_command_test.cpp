// HELP as a command: where its text goes and what it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/process_runner.h"

namespace {

TEST(HelpCommand, GeneralScreenForEveryWayOfAskingForIt) {
  TempDir dir;
  ProcessResult plain = runScriptIn(dir, "t.hxo", "help\n");
  ASSERT_EQ(plain.out.rfind("Halvex/Orbitane command-line configuration utility.\n\n", 0), 0u);
  EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 14);
  EXPECT_EQ(runScriptIn(dir, "t.hxo", "HELP help\n").out, plain.out);
  EXPECT_EQ(runScriptIn(dir, "t.hxo", "HELP HELP extra words\n").out, plain.out);
}

TEST(HelpCommand, AliasesAndObjectTopics) {
  TempDir dir;
  EXPECT_EQ(runScriptIn(dir, "t.hxo", "HELP obj.passwd\n").out.rfind("SYNTAX: obj.PASSWORD\n", 0),
            0u);
  EXPECT_EQ(runScriptIn(dir, "t.hxo", "HELP bye\n").out.rfind("SYNTAX: QUIT\n", 0), 0u);
  EXPECT_EQ(runScriptIn(dir, "t.hxo", "HELP Echo\n").out.rfind("SYNTAX: PRINT [text]\n", 0), 0u);
}

TEST(HelpCommand, UnknownTopicsAreReportedWithoutPrefixAndTheScriptGoesOn) {
  TempDir dir;
  ProcessResult result =
      runScriptIn(dir, "t.hxo", "HELP a1.ADD\nHELP ADD\nHELP obj.ADD x y\nHISTORY\nPRINT end\n");
  EXPECT_EQ(result.err, "No help available for a1.ADD.\nNo help available for ADD.\n");
  EXPECT_EQ(result.out.rfind("SYNTAX: obj.ADD [flags] <name> <ipaddr> [port [password]]\n", 0),
            0u);
  // HELP lines never enter the history, so HISTORY prints nothing before "end".
  EXPECT_EQ(result.out.substr(result.out.size() - 5), "\nend\n");
  EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
