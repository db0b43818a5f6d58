// SET, INCLUDE, ABORT, QUIT, PRINT, PAUSE, SLEEP, EXEC and HISTORY, run as scripts.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/process_runner.h"
#include "common/script_case.h"

namespace {

class SessionCommand : public testing::TestWithParam<ScriptCase> {};

TEST_P(SessionCommand, RunsScript) { expectScriptCase(GetParam()); }

const ScriptCase kSetCases[] = {
    {"SetVerboseOffIsSilent", "SET VERBOSE ON\nSET VERBOSE OFF\n", "",
     "VERBOSE has been set to ON.\n", "", 0},
    {"SetConfirmsEachOptionWhenVerbose",
     "SET VERBOSE ON\nset continue on\nSET CONTINUE typo\nSET CONTINUE OFF\nSET QUIET OFF\n"
     "SET QUIET ON\nSET STEPPING OFF\nSET LINES 0\nSET LINES abc\nSET LINES 40\nSET DELAY 3\n",
     "",
     "VERBOSE has been set to ON.\nCONTINUE has been set to ON.\nCONTINUE has been set to "
     "TYPO.\nCONTINUE has been set to OFF.\nQUIET has been set to OFF.\nQUIET has been set to "
     "ON.\nSTEPPING has been set to OFF.\nLINES PER PAGE has been set to 0.\nLINES PER PAGE has "
     "been set to 0.\nLINES PER PAGE has been set to 40.\nFOLLOW DELAY has been set to 3 "
     "seconds.\n",
     "", 0},
    {"SetWithoutValueIsMissingParameters", "SET CONTINUE\n", "", "",
     "t.hxo:1: Insufficient paramaters for SET command.\n", 7},
    {"SetRejectsBadValues",
     "SET CONTINUE TYPO\nSET CONTINUE maybe\nSET QUIET 1\nSET VERBOSE yes\nSET STEPPING x\n"
     "SET LINES 1\nSET LINES -5\nSET DELAY 0\nSET COLOR red\nHISTORY\n",
     "", "1. SET CONTINUE TYPO\n",
     "t.hxo:2: ON, OFF or TYPO paramater expected for CONTINUE.\n"
     "t.hxo:3: ON or OFF paramater expected for QUIET.\n"
     "t.hxo:4: ON or OFF paramater expected for VERBOSE.\n"
     "t.hxo:5: ON or OFF paramater expected for STEPPING.\n"
     "t.hxo:6: LINES PER PAGE must be any posetive number except 1.\n"
     "t.hxo:7: LINES PER PAGE must be any posetive number except 1.\n"
     "t.hxo:8: FOLLOW DELAY must be any posetive number above 0.\n"
     "t.hxo:9: Invalid option used with SET command.\n",
     0},
    {"SetValueIsTheRestOfTheLine", "SET VERBOSE ON\nSET CONTINUE ON  extra\n", "",
     "VERBOSE has been set to ON.\n", "t.hxo:2: ON, OFF or TYPO paramater expected for CONTINUE.\n",
     10},
};
INSTANTIATE_TEST_SUITE_P(Set, SessionCommand, testing::ValuesIn(kSetCases),
                         ScriptCaseTitle());

const ScriptCase kScriptCases[] = {
    {"PrintKeepsInnerSpacing", "PRINT  a   b  \nECHO\nprint x\n", "", "a   b\n\nx\n", "", 0},
    {"PauseShowsPromptAndReadsOneLine", "PAUSE Go on? \nPROMPT\nPRINT done\n", "yes\n\n",
     "Go on?Press enter to continue ...done\n", "", 0},
    {"PauseAtEndOfInputGoesOn", "PAUSE\nPRINT done\n", "",
     "Press enter to continue ...done\n", "", 0},
    {"SleepRejectsMissingZeroAndWords", "SET CONTINUE TYPO\nSLEEP\nSLEEP 0\nSLEEP x\n", "", "",
     "t.hxo:2: Insufficient paramaters for SLEEP command.\n"
     "t.hxo:3: Sleep requires a number greater than 0.\n"
     "t.hxo:4: Sleep requires a number greater than 0.\n",
     7},
    {"ExecReportsTheShellStatus", "SET CONTINUE ON\nEXEC sh -c 'exit 3'\nEXEC\n", "", "",
     "t.hxo:2: The following command returned error code 3: sh -c 'exit 3'\n"
     "t.hxo:3: Insufficient paramaters for EXEC command.\n",
     7},
    {"ExecReportsASignalAs128Plus", "EXEC kill -9 $$\n", "", "",
     "t.hxo:1: The following command returned error code 137: kill -9 $$\n", 28},
    {"ExecOutputComesInOrder", "SET VERBOSE ON\nEXEC echo from  shell\n", "",
     "VERBOSE has been set to ON.\nfrom shell\nSuccessfully ran command: echo from  shell\n", "",
     0},
    {"QuitSaysGoodbyeWhenVerbose", "SET VERBOSE ON\nBYE\n", "",
     "VERBOSE has been set to ON.\nGoodbye.\n", "", 6},
    {"AbortEndsTheScriptWithoutACode", "ABORT now\nPRINT never\n", "", "",
     "t.hxo:1: ABORT command received, no changes committed.\n", 0},
    {"AbortAllEndsWithSix", "abort all\nPRINT never\n", "", "",
     "t.hxo:1: ABORT command received, no changes committed.\n", 6},
    {"HistoryListsClearsAndRejects",
     "SET CONTINUE TYPO\nSET VERBOSE ON\nPRINT a\nbogus\nHELP nothing\nHISTORY\nhistory clear\n"
     "HISTORY\n!1\n",
     "",
     "VERBOSE has been set to ON.\na\n1. SET CONTINUE TYPO\n2. SET VERBOSE ON\n3. PRINT a\n"
     "Command history has been cleared.\n",
     "t.hxo:4: Unknown command: bogus.\nNo help available for nothing.\n"
     "t.hxo:9: Unknown history entry: 1\n.\n",
     8},
    {"HistoryUnknownWordAndMissingFile", "SET CONTINUE TYPO\nHISTORY LIST\nHISTORY SAVE\n", "",
     "",
     "t.hxo:2: Unknown subcommand: LIST.\nt.hxo:3: Insufficient paramaters for SAVE "
     "subcommand.\n",
     7},
    {"HistorySaveToAnUnwritablePlace", "HISTORY SAVE /nonexistent/dir/h.hxo\n", "", "",
     "t.hxo:1: Could not open file /nonexistent/dir/h.hxo for writing.\n", 27},
};
INSTANTIATE_TEST_SUITE_P(Script, SessionCommand, testing::ValuesIn(kScriptCases),
                         ScriptCaseTitle());

TEST(HistorySave, SavedHistoryRunsAgainAsAScript) {
  TempDir dir;
  ProcessResult saved = runScriptIn(
      dir, "s.hxo",
      "PRINT one\nPRINT two  three\nHISTORY\nHISTORY SAVE h.hxo\nINCLUDE h.hxo\n");
  EXPECT_EQ(dir.read("h.hxo"), "PRINT one\nPRINT two  three\n");
  EXPECT_EQ(saved.out, "one\ntwo  three\n1. PRINT one\n2. PRINT two  three\none\ntwo  three\n");
  EXPECT_EQ(saved.err, "");
  EXPECT_EQ(saved.exitCode, 0);
}

TEST(HistorySave, EmptyHistoryMakesAnEmptyFile) {
  TempDir dir;
  ProcessResult result = runScriptIn(dir, "t.hxo", "SET VERBOSE OFF\nHISTORY CLEAR\n"
                                                   "SET VERBOSE ON\nhistory clear\n"
                                                   "HISTORY SAVE h.hxo\n");
  EXPECT_EQ(result.out,
            "VERBOSE has been set to ON.\nCommand history has been cleared.\n"
            "Command history has been saved to file h.hxo.\n");
  EXPECT_EQ(dir.read("h.hxo"), "");
}

// INCLUDE, with the files each case writes beside the top script top.hxo.
struct IncludeCase {
  const char* title;
  std::vector<std::pair<const char*, const char*>> files;
  const char* top;
  std::string out;
  std::string err;
  int exitCode;
};
void PrintTo(const IncludeCase& c, std::ostream* os) { *os << c.title; }

class Include : public testing::TestWithParam<IncludeCase> {};

TEST_P(Include, RunsScript) {
  const IncludeCase& c = GetParam();
  TempDir dir;
  for (const auto& [name, content] : c.files) dir.write(name, content);
  ProcessResult result = runScriptIn(dir, "top.hxo", c.top);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.exitCode, c.exitCode);
}

const std::string kLoop = "a.hxo: Script already loaded, and would cause an infinate loop.\n";

const IncludeCase kIncludeCases[] = {
    {"OptionsPassInButNotBack",
     {{"inner.hxo", "SET VERBOSE OFF\nSET CONTINUE OFF\nbogus\n"}},
     "SET CONTINUE TYPO\nSET VERBOSE ON\nINCLUDE inner.hxo\nbogus2\nINCLUDE nothing.hxo\n"
     "PRINT still here\nHISTORY\n",
     "VERBOSE has been set to ON.\nstill here\n"
     "1. SET CONTINUE TYPO\n2. SET VERBOSE ON\n3. PRINT still here\n",
     "inner.hxo:3: Unknown command: bogus.\ntop.hxo:4: Unknown command: bogus2.\n"
     "nothing.hxo: Cannot open file.\n",
     0},
    {"ADirectLoopIsRefusedEveryTime",
     {{"a.hxo", "INCLUDE a.hxo\nPRINT between\nINCLUDE a.hxo\nPRINT end\n"}}, "INCLUDE a.hxo\n",
     "between\nend\n", kLoop + kLoop, 0},
    {"AnIndirectLoopIsRefusedAndTheFileRunsAgainOnceEnded",
     {{"a.hxo", "PRINT in a\nINCLUDE b.hxo\n"}, {"b.hxo", "PRINT in b\nINCLUDE a.hxo\n"}},
     "INCLUDE a.hxo\nINCLUDE a.hxo\n", "in a\nin b\nin a\nin b\n", kLoop + kLoop, 0},
    {"QuitInAnIncludedScriptEndsTheIncluderButNotItsIncluder",
     {{"leaf.hxo", "QUIT\n"}, {"middle.hxo", "INCLUDE leaf.hxo\nPRINT not in middle\n"}},
     "INCLUDE middle.hxo\nPRINT top goes on\n", "top goes on\n", "", 0},
    {"AbortAllEndsEveryScript", {{"leaf.hxo", "ABORT ALL\n"}}, "INCLUDE leaf.hxo\nPRINT never\n",
     "", "leaf.hxo:1: ABORT command received, no changes committed.\n", 0},
    {"MissingFileNameAndDirectory", {}, "INCLUDE /tmp\nINCLUDE\n", "",
     "/tmp: Cannot open file.\ntop.hxo:2: Insufficient paramaters for INCLUDE command.\n", 7},
};
INSTANTIATE_TEST_SUITE_P(Scripts, Include, testing::ValuesIn(kIncludeCases),
                         [](const auto& info) { return std::string(info.param.title); });

}  // namespace
