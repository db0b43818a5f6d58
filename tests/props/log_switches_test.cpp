// The switches and backup number of LOG.
#include <gtest/gtest.h>

#include "props/log_switches.h"

namespace {

struct SwitchCase {
  const char* line;
  LogSwitchError error;
  bool follow;
  bool interactive;
  int tailCount;
  int backup;
};

TEST(LogSwitches, ParsesSwitchesInAnyCombination) {
  using E = LogSwitchError;
  const SwitchCase cases[] = {
      {"a.LOG", E::kNone, false, false, 0, 0},
      {"a.LOG\r\n", E::kNone, false, false, 0, 0},
      {"a.LOG -f", E::kNone, true, false, 0, 0},
      {"a.LOG -i -f", E::kNone, true, true, 0, 0},
      {"a.LOG -fi 2", E::kNone, true, true, 0, 2},
      {"a.LOG -t 5 -f", E::kNone, true, false, 5, 0},
      {"a.LOG -ft 5", E::kNone, true, false, 5, 0},
      {"a.LOG -tt 5 6", E::kNone, false, false, 6, 0},
      {"a.LOG -t 5 3", E::kNone, false, false, 5, 3},
      {"a.LOG -t 5x", E::kNone, false, false, 5, 0},
      {"a.LOG - 1", E::kNone, false, false, 0, 1},
      {"a.LOG 1 -f", E::kNone, false, false, 0, 1},  // switches end at the backup number
      {"a.LOG -x", E::kInvalidSwitch, false, false, 0, 0},
      {"a.LOG -fF", E::kInvalidSwitch, true, false, 0, 0},
      {"a.LOG -3", E::kInvalidSwitch, false, false, 0, 0},
      {"a.LOG -t", E::kTailWithoutNumber, false, false, 0, 0},
      {"a.LOG -f -t", E::kTailWithoutNumber, true, false, 0, 0},
      {"a.LOG -t 0", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG -t -3", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG -t -f", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG -t abc", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG 0", E::kBadBackup, false, false, 0, 0},
      {"a.LOG -f x", E::kBadBackup, true, false, 0, 0},
  };
  for (const SwitchCase& c : cases) {
    const LogSwitchParse parse = ParseLogSwitches(c.line);
    EXPECT_EQ(parse.error, c.error) << c.line;
    EXPECT_EQ(parse.switches.follow, c.follow) << c.line;
    EXPECT_EQ(parse.switches.interactive, c.interactive) << c.line;
    EXPECT_EQ(parse.switches.tailCount, c.tailCount) << c.line;
    if (c.error == E::kNone) {
      EXPECT_EQ(parse.switches.backup, c.backup) << c.line;
    }
  }
}

TEST(LogSwitches, KeepsTheRefusedBackupTokenAsTyped) {
  EXPECT_EQ(ParseLogSwitches("a.LOG -f x7").backupToken, "x7");
}

}  // namespace
