// Bad input of every kind, tried as a tester would at the shell: each row runs a bash command
// line in a fresh folder, with $HXO the program and $SITE the built-in installation's file, and
// must print exactly what the row says and end with its status. Rows that used to hang run under
// timeout, so that a hang fails the row instead of the suite.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/bounded_line.h"
#include "support.h"

namespace {

const ShellRow kRows[] = {
    {"HistoryTakesALineLongerThanABlockAndMoreAfterIt",
     "{ printf 'PRINT '; printf '%1048571s\\n' '' | tr ' ' x; yes 'PRINT a' | head -n 3000; }"
     " > t.hxo; $HXO t.hxo | tail -n 1",
     "", "a\n", "", 0},
    // A running script reads the text it started with, whatever happens to its file: cut to
    // nothing (the rest of a long script used to be a SIGBUS), or rewritten in place (its
    // history would show, and !1 run, the new file's lines).
    {"ScriptFileTruncatedWhileItRuns",
     "{ printf 'PRINT a\\nEXEC truncate -s 0 t.hxo\\n'; yes '#' | head -c 9000000;"
     " printf '\\nPRINT c\\nHISTORY\\n'; } > t.hxo; $HXO t.hxo",
     "", "a\nc\n1. PRINT a\n2. EXEC truncate -s 0 t.hxo\n3. PRINT c\n", "", 0},
    // Without a folder for the private copy the text is read into memory instead.
    {"ScriptFileTruncatedWhileItRunsWithoutATemporaryFolder",
     "{ printf 'PRINT a\\nEXEC truncate -s 0 t.hxo\\n'; yes '#' | head -c 9000000;"
     " printf '\\nPRINT c\\n!1\\n'; } > t.hxo; TMPDIR=/no/such/folder $HXO t.hxo",
     "", "a\nc\na\n", "", 0},
    {"ScriptFileRewrittenWhileItRuns",
     "printf 'PRINT bb\\nPRINT zz\\nPRINT yy\\n' > b.hxo;"
     " printf 'PRINT a\\nEXEC cp b.hxo t.hxo\\n!1\\nHISTORY\\n' > t.hxo; $HXO t.hxo",
     "", "a\na\n1. PRINT a\n2. EXEC cp b.hxo t.hxo\n3. PRINT a\n", "", 0},
    {"ScriptFileLineOverTheBound",
     "{ printf 'PRINT '; head -c 17825792 /dev/zero | tr '\\0' x; printf '\\nPRINT after\\n'; }"
     " > t.hxo; $HXO t.hxo",
     "", "", "t.hxo:1: Line longer than 16777216 bytes; the script ends here.\n", 7},
    {"HistorySaveToAFullDevice", "$HXO -c $'PRINT a\\nHISTORY SAVE /dev/full'", "", "a\n",
     "-c:2: Could not write file /dev/full: No space left on device.\n", 1},
    {"FullStandardOutput", "$HXO -c 'PRINT a' > /dev/full", "", "",
     "hxo_cmdline: cannot write standard output: No space left on device\n", 74},
    {"DeepIncludeChain",
     "for i in $(seq 1 101); do echo \"INCLUDE n$((i + 1))\" > n$i; done; $HXO n1", "", "",
     "n101: Script not started: scripts may be nested at most 100 deep.\n", 0},
    {"IncludeOfADeviceWithoutLineEnds", "printf 'INCLUDE /dev/zero\\nPRINT after\\n' > t; $HXO t",
     "", "after\n", "/dev/zero:1: Line longer than 16777216 bytes; the script ends here.\n", 0},
    {"InteractiveLogAtEndOfInput",
     "timeout 20 $HXO -c $'AGENT a 127.0.0.1\\na.LOG -i -t 1' | head -c 200", "",
     "2024-03-12 02:29:31 INFO  event forwarded to server KORAS\n"
     "2024-03-12 23:59:58 INFO  follow: poll cycle completed for 42 targets\n--EOF-- ",
     "", 0},
    {"SiteFileIsAFifo", "mkfifo s.json; timeout 20 $HXO --sim s.json -c 'AUTH KORAS root'", "", "",
     "hxo_cmdline: s.json: not a regular file\n", 66},
    {"SiteErrorStaysOnOneLine",
     "printf '{\"format\": 1, \"server\": \"K\", \"agents\": [], \"a\\\\nb\": 1}' > s.json;"
     " $HXO --sim s.json -c 'AUTH K root'",
     "", "", "hxo_cmdline: s.json: top level: unknown key \"a\\nb\"\n", 65},
    {"UnusableTrace", "ORBITANE_SIM_TRACE=no/such/trace $HXO -c 'AUTH KORAS root'", "", "",
     "orbitane sim: no/such/trace: cannot write the trace: No such file or directory\n", 0},
    {"StaleTemporaryFilesOfDeadWriters",
     "cp $SITE s.json; touch s.json.tmp.$$ s.json.tmp.999999999;"
     " $HXO --sim s.json -c 'AUTH KORAS root' && ls s.json* | sed \"s/$$/LIVE/\"",
     "", "s.json\ns.json.tmp.LIVE\n", "", 0},
    // The properties are written, the reload cannot be recorded: the installation says so, the
    // COMMIT succeeds all the same (with its confirmation) and the script goes on; for one
    // object, then for a selection. Then a selection whose properties cannot be written.
    {"UnrecordedCommandLeavesTheCommitSuccessful",
     "cp $SITE s.json; export ORBITANE_SIM_FAIL_BEFORE_RENAME=2;"
     " $HXO --sim s.json -c $'SET VERBOSE ON\\nAGENT a 127.0.0.1\\na.SET POLL_INTERVAL 7\\n"
     "a.COMMIT\\nPRINT next'; echo $?;"
     " $HXO --sim s.json -c $'SET CONTINUE ON\\nAGENT a 127.0.0.1\\na.SET POLL_INTERVAL 8\\n"
     "ALL.COMMIT\\na.SET POLL_INTERVAL 9\\nALL.COMMIT'",
     "",
     "VERBOSE has been set to ON.\nAgent object named a has been created.\n"
     "Value of POLL_INTERVAL for Agent object a has been set to 7.\n"
     "Properties for Agent object a have been committed.\nnext\n0\n",
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set);"
     " not written: the journal entry \"reload\" of Agent 127.0.0.1:5465; written before it since"
     " the load: 1 change, the last: the properties of Agent 127.0.0.1:5465\n"
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set);"
     " not written: the journal entry \"reload\" of Agent 127.0.0.1:5465; written before it since"
     " the load: 1 change, the last: the properties of Agent 127.0.0.1:5465\n"
     "orbitane sim: s.json: stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set);"
     " not written: the properties of Agent 127.0.0.1:5465; written before it since the load: 1"
     " change, the last: the properties of Agent 127.0.0.1:5465\n"
     "-c:6: Failed to commit properties on object \"a\".\n",
     1},
};

TEST(BadInput, GetsAClearErrorAndLosesNothing) { ExpectShellRows(kRows); }

// Every read of content until the end, as "line" or "TOO LONG:line".
std::vector<std::string> ReadAll(const std::string& content, size_t limit) {
  Folder folder;
  folder.Write("f", content);
  FILE* stream = std::fopen(folder.File("f").c_str(), "r");
  std::vector<std::string> result;
  std::string line;
  for (LineRead read; (read = ReadBoundedLine(stream, line, limit)) != LineRead::kEnd;) {
    result.push_back((read == LineRead::kTooLong ? "TOO LONG:" : "") + line);
  }
  std::fclose(stream);
  return result;
}

TEST(BoundedLine, PiecesNulBytesInputEndsAndTheLimit) {
  using std::string;
  using Reads = std::vector<string>;
  const string x255(255, 'x'), x256(256, 'x'), x5000(5000, 'x');
  EXPECT_EQ(ReadAll("", 100), Reads{});
  EXPECT_EQ(ReadAll("a\nb", 100), (Reads{"a\n", "b"}));
  // Lines that end on and around the edges of the pieces fgets fills.
  EXPECT_EQ(ReadAll(x255 + "\n" + x256 + "\n" + x5000 + "\n", 10000),
            (Reads{x255 + "\n", x256 + "\n", x5000 + "\n"}));
  // NUL bytes are text like any other, also next to a line end or the end of the input.
  EXPECT_EQ(ReadAll(string("a\0b\n\0\n\0", 7), 100),
            (Reads{string("a\0b\n", 4), string("\0\n", 2), string("\0", 1)}));
  // The limit counts the text without its line end; the rest of a longer line stays unread.
  EXPECT_EQ(ReadAll("abcd\nabcd", 4), (Reads{"abcd\n", "abcd"}));
  EXPECT_EQ(ReadAll("abcdef\n", 4), (Reads{"TOO LONG:abcd", "ef\n"}));
}

}  // namespace
