// HELP as a command: where its text goes and what it leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/process_runner.h"
#include "interp/command_table.h"

namespace {

TEST(HelpCommand, GeneralScreenForEveryWayOfAskingForIt) {
  std::string screen;
  for (HelpLines line = HelpTopicTable().at("HELP"); *line != nullptr; ++line) {
    screen += std::string(*line) + "\n";
  }
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
