// Checking scripts without running them: each row is a script beside exactly what --check says
// of it. The script runs after a preamble that authenticates and declares hq (an agent), br (its
// broker), dsm1 (a DSM) and t1 (a target), so that rows can use them.
#include "interp/script_check.h"

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support.h"

namespace {

const std::string kPreamble =
    "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SPAWN br BROKER\nbr.SPAWN dsm1 dsm1\n"
    "dsm1.SPAWN t1 10.2.0.1\n";

// A row's script starts at line 6, after the preamble.
struct CheckRow {
  std::string script;
  std::string diagnostics;
};

std::string Check(const std::string& script) {
  ScriptChecker checker;
  checker.CheckText("s", kPreamble + script);
  return FormatDiagnostics(checker, false);
}

TEST(ScriptCheck, BadLinesAndWhatTheCheckSays) {
  const CheckRow rows[] = {
      {"PRNT hello\n", "s:6:1: error: Unknown command: PRNT.\n"},
      {"  # a note\n",
       "s:6:3: error: a comment starts with '#' in the first column; this line is run as the "
       "unknown command \"#\"\n"},
      {"hq.SET POLL_INTERVAL 30   # half a minute\n",
       "s:6:27: warning: '#' starts a comment only in the first column: \"# half a minute\" is "
       "part of the parameters\n"},
      {"hq.FOO\n", "s:6:4: error: Unknown subcommand: FOO.\n"},
      {".LIST\n", "s:6:1: error: Bad object name \"\".\n"},
      {"SET\n", "s:6:4: error: Insufficient paramaters for SET command.\n"},
      {"SET LINES many\n", "s:6:11: error: SET LINES needs a number, not \"many\"\n"},
      {"SET LINES 1\n", "s:6:11: error: LINES PER PAGE must be any posetive number except 1.\n"},
      {"SET DELAY 0\n", "s:6:11: error: FOLLOW DELAY must be any posetive number above 0.\n"},
      {"SET CONTINUE YES\n", "s:6:14: error: ON, OFF or TYPO paramater expected for CONTINUE.\n"},
      {"SET COLOR ON\n", "s:6:5: error: Invalid option used with SET command.\n"},
      {"SLEEP a-while\n", "s:6:7: error: SLEEP needs a number, not \"a-while\"\n"},
      {"AGENT edge 10.1.1.9 fifty\n",
       "s:6:21: error: a port is a number from 1 to 65535 (0: the default), not \"fifty\"\n"},
      {"AGENT hq 10.1.1.9\n", "s:6:7: error: Redeclaration of existing object \"hq\".\n"},
      {"AGENT edge 10.1.1.9 5465 s3cret\n",
       "s:6:26: warning: a password written in the script stays in it and in its history; give "
       "it in a separate file kept private\n"},
      {"edge.LIST\n",
       "s:6:1: error: object \"edge\" is not declared: AGENT, SPAWN or ADD declares it before its "
       "first use\n"},
      {"DROP t1\nt1.SET\n", "s:7:1: error: object \"t1\" was dropped at s:6\n"},
      {"DROP nosuch t1\n",
       "s:6:6: warning: object \"nosuch\" is not declared here: DROP passes it over\n"},
      {"ALL.LIST\n", "s:6:1: error: Subcommand LIST may not be used on reserved objects.\n"},
      {"hq.ADD -x b2 10.1.1.2\n", "s:6:8: error: Invalid switch used in ADD subcommand.\n"},
      {"hq.ADD\n", "s:6:7: error: Insufficient paramaters for ADD subcommand.\n"},
      {"hq.ADD -f\n", "s:6:10: error: Insufficient paramaters for ADD subcommand.\n"},
      {"hq.ADD b.2 10.1.1.2\n", "s:6:8: error: Bad object name \"b.2\".\n"},
      {"hq.ADD -f b2 10.1.1.2 port\n",
       "s:6:23: error: a port is a number from 1 to 65535 (0: the default), not \"port\"\n"},
      {"hq.SPAWN b2 10.1.1.2 5465 s3cret\n",
       "s:6:27: warning: a password written in the script stays in it and in its history; give "
       "it in a separate file kept private\n"},
      {"dsm1.QPK one\n", "s:6:10: error: a rule needs a number, not \"one\"\n"},
      {"dsm1.QPK 12 high\n", "s:6:13: error: a rule value needs a number, not \"high\"\n"},
      {"dsm1.QPK 12 11\n",
       "s:6:13: warning: rule values go from 0 to 10 (-1 removes the value), not \"11\"\n"},
      {"t1.LOG -x\n", "s:6:8: error: Invalid switch used in LOG subcommand.\n"},
      {"t1.LOG -t 0\n",
       "s:6:8: error: The -t switch requires a number greater than 0 a a parameter.\n"},
      {"INCLUDE no/such.hxo\n",
       "s:6:9: error: INCLUDE of \"no/such.hxo\", which cannot be read: No such file or "
       "directory\n"},
  };
  for (const CheckRow& row : rows) {
    EXPECT_EQ(Check(row.script), row.diagnostics) << row.script;
  }
}

// What the check accepts: it must not cry wolf on the language's ordinary lines.
TEST(ScriptCheck, CleanLines) {
  const char* clean =
      "# a comment\n"
      "\n"
      "   \n"
      "PRINT # not a comment, just text\n"
      "EXEC ls | wc -l # a shell comment\n"
      "SET CONTINUE typo\nSET LINES 0\nSET DELAY 2\nSET quiet off\n"
      "hq.SET POLL_INTERVAL 30\nALL.COMMIT\nTARGET.QPK 12 -1\nt1.QPK 12 DEFAULT\n"
      "t1.LOG -ft 5\nt1.LOG 2\nhq.ADD -f b2 10.1.1.2 0\nb2.SPAWN dsm2 dsm2\n"
      "dsm2.ADD lab 10.2.9.9 lab-ro\nlab.SET\nAGENT Hq 127.0.0.1 0\n!1\n"
      "DROP hq\nAGENT hq 127.0.0.1\nhq.RUN restart # now\n";
  EXPECT_EQ(Check(clean), "");
}

// INCLUDEd files are followed: what they declare is declared after the INCLUDE, and their
// problems are reported at their own lines.
TEST(ScriptCheck, FollowsIncludes) {
  Folder folder;
  folder.Write("inner.hxo", "AGENT edge 10.1.1.9\nPRNT\n");
  folder.Write("loop.hxo", "INCLUDE " + folder.File("loop.hxo") + "\n");
  folder.Write("outer.hxo", "AUTH KORAS root\nINCLUDE " + folder.File("inner.hxo") +
                                "\nedge.LIST\nINCLUDE " + folder.File("loop.hxo") + "\n");
  ScriptChecker checker;
  checker.CheckFile(folder.File("outer.hxo"));
  // A script that includes itself is followed as deep as a run would go.
  EXPECT_EQ(FormatDiagnostics(checker, false),
            folder.File("inner.hxo") + ":2:1: error: Unknown command: PRNT.\n" +
                folder.File("loop.hxo") + ":1:9: error: scripts may be nested at most 100 deep\n");

  const auto json = nlohmann::json::parse(FormatDiagnostics(checker, true));
  EXPECT_EQ(json["errors"], 2);
  EXPECT_EQ(json["warnings"], 0);
  EXPECT_EQ(json["diagnostics"][0]["line"], 2);
  EXPECT_EQ(json["diagnostics"][0]["severity"], "error");
}

// The program: exit status 1 with an error, 0 with warnings alone, 64 without a script.
TEST(ScriptCheck, ThroughTheProgram) {
  Folder folder;
  folder.Write("bad.hxo", "PRNT\n");
  folder.Write("warn.hxo", "AUTH KORAS root s3cret\n");
  Result result = folder.Program("--check bad.hxo warn.hxo");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.out,
            "bad.hxo:1:1: error: Unknown command: PRNT.\n"
            "warn.hxo:1:17: warning: a password written in the script stays in it and in its "
            "history; give it in a separate file kept private\n");
  EXPECT_EQ(folder.Program("--check warn.hxo").code, 0);
  result = folder.Program("--check=json missing.hxo");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.out,
            "{\"diagnostics\":[{\"column\":0,\"file\":\"missing.hxo\",\"line\":0,\"message\":"
            "\"cannot read the script: No such file or directory\",\"severity\":\"error\"}],"
            "\"errors\":1,\"warnings\":0}\n");
  EXPECT_EQ(folder.Program("--check").code, 64);
}

// The examples check clean but for the tour's deliberate typo, which it shows CONTINUE TYPO with.
TEST(ScriptCheck, ExamplesCheckClean) {
  ASSERT_EQ(chdir(HXO_SOURCE_DIR), 0);  // the tour INCLUDEs its parts by paths from here
  std::string found;
  for (const char* example : {"examples/tour.hxo", "examples/tour_included.hxo",
                              "examples/tour_objects.hxo", "examples/tour_props.hxo"}) {
    ScriptChecker checker;
    checker.CheckFile(example);
    found += FormatDiagnostics(checker, false);
  }
  EXPECT_EQ(found, "examples/tour.hxo:22:1: error: Unknown command: PRNT.\n");
}

}  // namespace
