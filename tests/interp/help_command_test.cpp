// HELP as a command: where its text goes and what it leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/process_runner.h"
#include "interp/help_texts.h"

namespace {

TEST(HelpCommand, GeneralScreenForEveryWayOfAskingForIt) {
  const HelpTopics topics = BuildHelpTopics();
  const HelpText& general = topics.find(std::string_view("HELP"))->second;
  std::string screen;
  for (size_t i = 0; i < general.lineCount; ++i) screen += std::string(general.lines[i]) + "\n";
  TempDir dir;
  for (const char* script : {"help\n", "HELP help\n", "HELP HELP extra words\n"}) {
    EXPECT_EQ(runScriptIn(dir, "t.hxo", script).out, screen) << script;
  }
}

TEST(HelpCommand, UnknownTopicsAreReportedWithoutPrefixAndTheScriptGoesOn) {
  TempDir dir;
  ProcessResult result = runScriptIn(
      dir, "t.hxo", "HELP a1.ADD\nHELP ADD\nHELP obj.passwd x y\nHISTORY\nPRINT end\n");
  EXPECT_EQ(result.err, "No help available for a1.ADD.\nNo help available for ADD.\n");
  EXPECT_EQ(result.out.rfind("SYNTAX: obj.PASSWORD\n", 0), 0u);
  // HELP lines never enter the history, so HISTORY prints nothing before "end".
  EXPECT_EQ(result.out.substr(result.out.size() - 5), "\nend\n");
  EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
