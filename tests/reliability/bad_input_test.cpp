// Bad input of every kind, tried as a tester would at the shell. Each row runs a bash command line
// in a fresh folder, with $HXO the program and $SITE the built-in installation's file, and must
// print exactly what the row says and end with its status. Rows that used to hang run under
// timeout, so that a hang fails the row instead of the suite.
#include <gtest/gtest.h>

#include "common/script_case.h"

namespace {

class BadInput : public testing::TestWithParam<ScriptCase> {};

TEST_P(BadInput, GetsAClearErrorAndLosesNothing) {
  const ScriptCase& c = GetParam();
  TempDir dir;
  ProcessLaunch launch;
  launch.arguments = {"bash", "-o", "pipefail", "-c", c.script};
  launch.input = c.input;
  launch.environment = {{"HXO", HXO_CMDLINE}, {"SITE", HXO_SOURCE_DIR "/examples/site.json"}};
  launch.workingDirectory = dir.path();
  ProcessResult result = runProcess(launch);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, c.err);
  EXPECT_EQ(result.exitCode, c.exitCode);
}

const ScriptCase kCases[] = {
    {"HistoryTakesALineLongerThanABlockAndMoreAfterIt",
     "{ printf 'PRINT '; printf '%1048571s\\n' '' | tr ' ' x; yes 'PRINT a' | head -n 3000; }"
     " > t.hxo; $HXO t.hxo | tail -n 1",
     "", "a\n", "", 0},
    {"HistorySaveWritesOneEntryALine",
     "$HXO -c $'PRINT a\\nPRINT b\\nHISTORY SAVE h.hxo\\nINCLUDE h.hxo'", "", "a\nb\na\nb\n", "",
     0},
    {"HistorySaveToAFullDevice", "$HXO -c $'PRINT a\\nHISTORY SAVE /dev/full'", "", "a\n",
     "stringbuf:2: Could not write file /dev/full: No space left on device.\n", 1},
    {"FullStandardOutput", "$HXO -c 'PRINT a' > /dev/full", "", "",
     "hxo_cmdline: cannot write standard output: No space left on device\n", 74},
    {"DeepIncludeChain",
     "for i in $(seq 1 101); do echo \"INCLUDE n$((i + 1))\" > n$i; done; $HXO n1", "", "",
     "n101: Script not started: scripts may be nested at most 100 deep.\n", 0},
    {"IncludeOfADeviceWithoutLineEnds", "printf 'INCLUDE /dev/zero\\nPRINT after\\n' > t; $HXO t",
     "", "after\n", "/dev/zero:1: Line longer than 16777216 bytes; the script ends here.\n", 0},
    {"InteractiveLogAtEndOfInput",
     "timeout 20 $HXO -c $'AGENT a 127.0.0.1\\na.LOG -i -t 1' | head -c 200", "",
     "--EOF-- 2024-03-12 02:29:31 INFO  event forwarded to server KORAS\n"
     "2024-03-12 23:59:58 INFO  follow: poll cycle completed for 42 targets\n",
     "", 0},
    {"SiteFileIsAFifo", "mkfifo s.json; timeout 20 $HXO --sim s.json -c 'AUTH KORAS root'", "", "",
     "orbitane sim: s.json: not a regular file\n"
     "stringbuf:1: Authenticiation to Ilvaris KORAS as user root failed.\n",
     1},
    {"SiteErrorStaysOnOneLine",
     "printf '{\"format\": 1, \"server\": \"K\", \"agents\": [], \"a\\\\nb\": 1}' > s.json;"
     " $HXO --sim s.json -c 'AUTH K root'",
     "", "",
     "orbitane sim: s.json: top level: unknown key \"a\\nb\"\n"
     "stringbuf:1: Authenticiation to Ilvaris K as user root failed.\n",
     1},
    {"UnusableTrace", "ORBITANE_SIM_TRACE=no/such/trace $HXO -c 'AUTH KORAS root'", "", "",
     "orbitane sim: no/such/trace: cannot write the trace: No such file or directory\n", 0},
    {"StaleTemporaryFilesOfDeadWriters",
     "cp $SITE s.json; touch s.json.tmp.$$ s.json.tmp.999999999;"
     " $HXO --sim s.json -c 'AUTH KORAS root' && ls | sed \"s/$$/LIVE/\"",
     "", "s.json\ns.json.tmp.LIVE\n", "", 0},
    // One object, then a selection whose command cannot be recorded; then a selection whose
    // properties cannot be written, which is reported once.
    {"UnrecordedCommandFailsTheCommit",
     "cp $SITE s.json; export ORBITANE_SIM_FAIL_BEFORE_RENAME=2;"
     " $HXO --sim s.json -c $'AGENT a 127.0.0.1\\na.SET POLL_INTERVAL 7\\na.COMMIT';"
     " $HXO --sim s.json -c $'SET CONTINUE ON\\nAGENT a 127.0.0.1\\na.SET POLL_INTERVAL 8\\n"
     "ALL.COMMIT\\na.SET POLL_INTERVAL 9\\nALL.COMMIT'",
     "", "",
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)\n"
     "stringbuf:3: Failed to commit properties on object \"a\".\n"
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)\n"
     "stringbuf:4: Failed to commit properties on object \"ALL\".\n"
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)\n"
     "stringbuf:6: Failed to commit properties on object \"a\".\n",
     1},
};
INSTANTIATE_TEST_SUITE_P(Shell, BadInput, testing::ValuesIn(kCases), ScriptCaseTitle());

}  // namespace
