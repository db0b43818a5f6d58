// The loop's dispatch, history references, CONTINUE and STEPPING, seen from outside.
#include <gtest/gtest.h>

#include "common/process_runner.h"
#include "common/script_case.h"

namespace {

class InterpreterLoop : public testing::TestWithParam<ScriptCase> {};

TEST_P(InterpreterLoop, RunsScript) { expectScriptCase(GetParam()); }

const ScriptCase kLoopCases[] = {
    {"CommentsAndBlankLinesAreSkipped", "# note\n\n   \nPRINT a\n", "", "a\n", "", 0},
    {"IndentedHashIsACommand", " #x\nPRINT b\n", "", "", "t.hxo:1: Unknown command: #x.\n", 8},
    {"LineNumbersCountEveryLine", "# c\n\nbogus\n", "", "", "t.hxo:3: Unknown command: bogus.\n",
     8},
    {"QuitInLowerCaseEndsWithSix", "quit\nPRINT never\n", "", "", "", 6},
    {"SeparatorFirstIsBadObjectName", ".LIST\n", "", "", "t.hxo:1: Bad object name \"\".\n", 11},
    {"UnregisteredObjectIsInvalid", "a1.LIST\n", "", "",
     "t.hxo:1: Invalid object \"a1\" specified.\n", 14},
    {"ReservedObjectIsDispatched", "agent.NOSUCH\n", "", "",
     "t.hxo:1: Unknown subcommand: NOSUCH.\n", 15},
    {"HistoryReferenceOnEmptyHistory", "!1\n", "", "", "t.hxo:1: Unknown history entry: 1\n.\n",
     8},
    {"HistoryReferenceZeroAndLetters", "SET CONTINUE TYPO\n!0\n!abc\n", "", "",
     "t.hxo:2: Unknown history entry: 0\n.\nt.hxo:3: Unknown history entry: abc\n.\n", 8},
    {"HistoryReferencesRecallAndAreStoredAgain", "PRINT one\nPRINT two\n!-1\n!1\nHISTORY\n",
     "", "one\ntwo\ntwo\none\n1. PRINT one\n2. PRINT two\n3. PRINT two\n4. PRINT one\n", "", 0},
    {"HistoryReferenceBeyondTheList", "PRINT one\n!-2\n", "", "one\n",
     "t.hxo:2: Unknown history entry: -2\n.\n", 8},
    {"ContinueTypoForgivesUnknownCommands", "SET CONTINUE TYPO\nbogus\nPRINT after\n", "",
     "after\n", "t.hxo:2: Unknown command: bogus.\n", 0},
    {"ContinueOffStopsAtTheFirstFailure", "bogus\nPRINT after\n", "", "",
     "t.hxo:1: Unknown command: bogus.\n", 8},
    {"ContinueTypoStopsAtOtherFailures", "SET CONTINUE TYPO\nEXEC false\nPRINT after\n", "", "",
     "t.hxo:2: The following command returned error code 1: false\n", 28},
    {"ContinueOnStillEndsAtQuit", "SET CONTINUE ON\nEXEC false\nQUIT\nPRINT after\n", "", "",
     "t.hxo:2: The following command returned error code 1: false\n", 6},
    {"FailureOnTheLastLineStaysTheResult", "SET CONTINUE ON\nbogus\n", "", "",
     "t.hxo:2: Unknown command: bogus.\n", 8},
    {"SteppingRunsSkipsAndAborts",
     "SET STEPPING ON\nPRINT run\nPRINT skipped\nPRINT aborted\nPRINT never\n", "\ns\na\n",
     "\nt.hxo: PRINT run\nPress 'S' to skip command, 'A' to abort script, or any other to "
     "continue.\nrun\n"
     "\nt.hxo: PRINT skipped\nPress 'S' to skip command, 'A' to abort script, or any other to "
     "continue.\n"
     "\nt.hxo: PRINT aborted\nPress 'S' to skip command, 'A' to abort script, or any other to "
     "continue.\n",
     "", 0},
    {"SteppingAtEndOfInputRunsTheCommand", "SET STEPPING ON\nPRINT x\n", "",
     "\nt.hxo: PRINT x\nPress 'S' to skip command, 'A' to abort script, or any other to "
     "continue.\nx\n",
     "", 0},
    {"PercentSignsArePrintedAsTheyStand", "PRINT 100%s %n %d%%\nbad%s\n", "",
     "100%s %n %d%%\n", "t.hxo:2: Unknown command: bad%s.\n", 8},
    {"LastLineWithoutLineEndRuns", "PRINT a\nPRINT b", "", "a\nb\n", "", 0},
};

INSTANTIATE_TEST_SUITE_P(Scripts, InterpreterLoop, testing::ValuesIn(kLoopCases),
                         ScriptCaseTitle());

TEST(InterpreterLoopLongLines, LongLineIsOneCommandWhateverItsLength) {
  TempDir dir;
  std::string word(100000, 'w');
  ProcessResult result = runScriptIn(dir, "t.hxo", "PRINT " + word + "\nPRINT end\n");
  EXPECT_EQ(result.out, word + "\nend\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(InterpreterLoopBinaryInput, NulBytesAndBinaryDataNeverCrash) {
  TempDir dir;
  std::string script("PRINT a\0hidden\n\x01\x02\xff\xfe\n", 20);
  script += "PRINT after\n";
  ProcessResult result = runScriptIn(dir, "t.hxo", script);
  EXPECT_EQ(result.out, "a\n");
  EXPECT_EQ(result.err, "t.hxo:2: Unknown command: \x01\x02\xff\xfe.\n");
  EXPECT_EQ(result.exitCode, 8);
}

TEST(InterpreterLoopOrder, StandardOutputIsFlushedBeforeEveryError) {
  TempDir dir;
  ProcessResult result =
      runScriptIn(dir, "t.hxo", "SET CONTINUE ON\nPRINT one\nbogus\nPRINT two\n", "", {}, true);
  EXPECT_EQ(result.out, "one\nt.hxo:3: Unknown command: bogus.\ntwo\n");
}

}  // namespace
