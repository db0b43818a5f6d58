// Script commands and the interpreter loop, run in-process; the program's command line; the
// library's entry points called in this process.
#include <algorithm>

#include "entry/process_workspace.h"
#include "hxo/hxo.h"
#include "in_process.h"

namespace {

const std::string kStep =
    "Press 'S' to skip command, 'A' to abort script, or any other to continue.\n";

TEST(ScriptCommands, MessagesAndCodes) {
  ExpectRows({
      // SET
      {"SET CONTINUE\n", "", "t.hxo:1: Insufficient paramaters for SET command.\n", 7},
      {"SET CONTINUE TYPO\nSET CONTINUE maybe\nSET QUIET 1\nSET VERBOSE yes\nSET STEPPING x\n"
       "SET LINES 1\nSET LINES -5\nSET DELAY 0\nSET COLOR red\nHISTORY\n",
       "1. SET CONTINUE TYPO\n",
       "t.hxo:2: ON, OFF or TYPO paramater expected for CONTINUE.\n"
       "t.hxo:3: ON or OFF paramater expected for QUIET.\n"
       "t.hxo:4: ON or OFF paramater expected for VERBOSE.\n"
       "t.hxo:5: ON or OFF paramater expected for STEPPING.\n"
       "t.hxo:6: LINES PER PAGE must be any posetive number except 1.\n"
       "t.hxo:7: LINES PER PAGE must be any posetive number except 1.\n"
       "t.hxo:8: FOLLOW DELAY must be any posetive number above 0.\n"
       "t.hxo:9: Invalid option used with SET command.\n",
       0},
      {"SET VERBOSE ON\nSET CONTINUE ON  extra\n", "VERBOSE has been set to ON.\n",
       "t.hxo:2: ON, OFF or TYPO paramater expected for CONTINUE.\n", 10},
      // PAUSE, SLEEP, EXEC, QUIT, ABORT
      {"PAUSE\nPRINT done\n", "Press enter to continue ...done\n", "", 0},
      {"SET CONTINUE TYPO\nSLEEP\nSLEEP 0\nSLEEP x\n", "",
       "t.hxo:2: Insufficient paramaters for SLEEP command.\n"
       "t.hxo:3: Sleep requires a number greater than 0.\n"
       "t.hxo:4: Sleep requires a number greater than 0.\n",
       7},
      {"SET CONTINUE ON\nEXEC sh -c 'exit 3'\nEXEC\n", "",
       "t.hxo:2: The following command returned error code 3: sh -c 'exit 3'\n"
       "t.hxo:3: Insufficient paramaters for EXEC command.\n",
       7},
      {"EXEC kill -9 $$\n", "",
       "t.hxo:1: The following command returned error code 137: kill -9 $$\n", 28},
      {"SET VERBOSE ON\nBYE\n", "VERBOSE has been set to ON.\nGoodbye.\n", "", 6},
      {"abort all\nPRINT never\n", "", "t.hxo:1: ABORT command received, no changes committed.\n",
       6},
      // HISTORY and history references
      {"SET CONTINUE TYPO\nHISTORY LIST\nHISTORY SAVE\n", "",
       "t.hxo:2: Unknown subcommand: LIST.\nt.hxo:3: Insufficient paramaters for SAVE "
       "subcommand.\n",
       7},
      {"HISTORY SAVE /nonexistent/dir/h.hxo\n", "",
       "t.hxo:1: Could not open file /nonexistent/dir/h.hxo for writing.\n", 27},
      {"SET CONTINUE TYPO\n!0\n!abc\n", "",
       "t.hxo:2: Unknown history entry: 0\n.\nt.hxo:3: Unknown history entry: abc\n.\n", 8},
      // HELP writes unknown topics on standard error without a line number, goes on, and is
      // not remembered.
      {"HELP a1.ADD\nHELP ADD\nHISTORY\nPRINT end\n", "end\n",
       "No help available for a1.ADD.\nNo help available for ADD.\n", 0},
  });
  // A command's own output comes in its place among the script's.
  ExpectRows(
      {
          {"SET VERBOSE ON\nEXEC echo from  shell\n",
           "VERBOSE has been set to ON.\nfrom shell\nSuccessfully ran command: echo from  shell\n",
           "", 0},
      },
      "", "", {}, RunIn::kProgram);
}

TEST(ScriptCommands, Include) {
  const std::string kLoop = "a.hxo: Script already loaded, and would cause an infinate loop.\n";
  ExpectRows(
      {
          // Options pass into an included script but not back.
          {"SET CONTINUE TYPO\nSET VERBOSE ON\nINCLUDE inner.hxo\nbogus2\nINCLUDE nothing.hxo\n"
           "PRINT still here\nHISTORY\n",
           "VERBOSE has been set to ON.\nstill here\n"
           "1. SET CONTINUE TYPO\n2. SET VERBOSE ON\n3. PRINT still here\n",
           "inner.hxo:3: Unknown command: bogus.\nt.hxo:4: Unknown command: bogus2.\n"
           "nothing.hxo: Cannot open file.\n",
           0},
          // An indirect loop is refused, and the file runs again once it has ended.
          {"INCLUDE a.hxo\nINCLUDE a.hxo\n", "in a\nin b\nin a\nin b\n", kLoop + kLoop, 0},
          // QUIT in an included script ends the script that included it, but not its includer.
          {"INCLUDE middle.hxo\nPRINT top goes on\n", "top goes on\n", "", 0},
          {"INCLUDE abort.hxo\nPRINT never\n", "",
           "abort.hxo:1: ABORT command received, no changes committed.\n", 0},
          {"INCLUDE /tmp\nINCLUDE\n", "",
           "/tmp: Cannot open file.\nt.hxo:2: Insufficient paramaters for INCLUDE command.\n", 7},
      },
      "", "",
      {{"inner.hxo", "SET VERBOSE OFF\nSET CONTINUE OFF\nbogus\n"},
       {"a.hxo", "PRINT in a\nINCLUDE b.hxo\n"},
       {"b.hxo", "PRINT in b\nINCLUDE a.hxo\n"},
       {"leaf.hxo", "QUIT\n"},
       {"middle.hxo", "INCLUDE leaf.hxo\nPRINT not in middle\n"},
       {"abort.hxo", "ABORT ALL\n"}});
}

TEST(ScriptCommands, SavedHistoryRunsAgainAsAScript) {
  Folder folder;
  Result result = RunScript(folder,
                            "PRINT one\nPRINT two  three\nHISTORY SAVE h.hxo\nINCLUDE h.hxo\n"
                            "SET VERBOSE ON\nHISTORY CLEAR\nHISTORY SAVE empty.hxo\n");
  EXPECT_EQ(folder.Read("h.hxo"), "PRINT one\nPRINT two  three\n");
  EXPECT_EQ(folder.Read("empty.hxo"), "");
  EXPECT_EQ(result.out,
            "one\ntwo  three\none\ntwo  three\nVERBOSE has been set to ON.\n"
            "Command history has been cleared.\nCommand history has been saved to file "
            "empty.hxo.\n");
  EXPECT_EQ(result.err, "");
}

// A history entry is a view of its line where the source holds it: in the mapped file (also
// after the pages behind the reader are handed back), in the store for a line of standard input
// or one cut at a NUL byte, in the caller's text for the exported functions.
TEST(ScriptCommands, HistoryEntriesOutliveTheirReading) {
  Folder folder;
  const std::string comments(12 << 20, '#');
  Result result = RunScript(
      folder, "PRINT first\n" + comments + std::string("\n!1\nPRINT a\0b\n!-1\nHISTORY\n", 26));
  EXPECT_EQ(result.out,
            "first\nfirst\na\na\n1. PRINT first\n2. PRINT first\n3. PRINT a\n"
            "4. PRINT a\n");
  result = folder.Program("", "PRINT a\nPRINT b\n!1\nHISTORY\n");
  EXPECT_EQ(result.out, "a\nb\na\n1. PRINT a\n2. PRINT b\n3. PRINT a\n");
  // HISTORY SAVE onto the running script rewrites it shorter; the script goes on as it was read.
  const std::string padding(8192, '#');
  result = RunScript(folder, "PRINT a\nHISTORY SAVE t.hxo\n" + padding + "\nPRINT b\nHISTORY\n");
  EXPECT_EQ(result.out, "a\nb\n1. PRINT a\n2. PRINT b\n");
  EXPECT_EQ(folder.Read("t.hxo"), "PRINT a\n");
}

// Past its first chunks the history keeps its entries in blocks of its own: every entry reads
// back, and a cleared history starts again at 1.
TEST(ScriptCommands, LongHistoryReadsBackPastItsFirstChunks) {
  Folder folder;
  std::string lines;
  for (int i = 0; i < 20000; ++i) lines += "PRINT " + std::to_string(i) + "\n";
  Result result =
      RunScript(folder, lines + "!1\n!17000\nHISTORY SAVE h.hxo\nHISTORY CLEAR\nPRINT again\n!1\n");
  const std::string tail = "19999\n0\n16999\nagain\nagain\n";
  ASSERT_GE(result.out.size(), tail.size());
  EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
  EXPECT_EQ(folder.Read("h.hxo"), lines + "PRINT 0\nPRINT 16999\n");
  EXPECT_EQ(result.err, "");
}

TEST(InterpreterLoop, MessagesAndCodes) {
  ExpectRows({
      {" #x\nPRINT b\n", "", "t.hxo:1: Unknown command: #x.\n", 8},
      {".LIST\n", "", "t.hxo:1: Bad object name \"\".\n", 11},
      {"a1.LIST\n", "", "t.hxo:1: Invalid object \"a1\" specified.\n", 14},
      {"agent.NOSUCH\n", "", "t.hxo:1: Unknown subcommand: NOSUCH.\n", 15},
      {"PRINT 100%s %n %d%%\nbad%s\n", "100%s %n %d%%\n", "t.hxo:2: Unknown command: bad%s.\n", 8},
      {"PRINT a\r\nPRINT b", "a\nb\n", "", 0},  // a carriage return ends a token; no last line end
      // CONTINUE: TYPO goes on after mistakes only, ON after anything but QUIT.
      {"bogus\nPRINT after\n", "", "t.hxo:1: Unknown command: bogus.\n", 8},
      {"SET CONTINUE TYPO\nbogus\nPRINT after\n", "after\n", "t.hxo:2: Unknown command: bogus.\n",
       0},
      {"SET CONTINUE TYPO\nEXEC false\nPRINT after\n", "",
       "t.hxo:2: The following command returned error code 1: false\n", 28},
      {"SET CONTINUE ON\nEXEC false\nQUIT\nPRINT after\n", "",
       "t.hxo:2: The following command returned error code 1: false\n", 6},
      {"SET CONTINUE ON\nbogus\n", "", "t.hxo:2: Unknown command: bogus.\n", 8},
      // STEPPING: Enter runs, S skips, A aborts.
      {"SET STEPPING ON\nPRINT run\nPRINT skipped\nPRINT aborted\nPRINT never\n",
       "\nt.hxo: PRINT run\n" + kStep + "run\n\nt.hxo: PRINT skipped\n" + kStep +
           "\nt.hxo: PRINT aborted\n" + kStep,
       "", 0, "\ns\na\n"},
  });
}

TEST(InterpreterLoop, LongLinesAndBinaryInput) {
  const std::string word(100000, 'w');
  ExpectRows({
      {"PRINT " + word + "\nPRINT end\n", word + "\nend\n", "", 0},
      // A NUL ends the text of its line; bytes of any value make an unknown command.
      {std::string("PRINT a\0hidden\n\x01\x02\xff\xfe\nPRINT after\n", 32), "a\n",
       "t.hxo:2: Unknown command: \x01\x02\xff\xfe.\n", 8},
  });
}

TEST(Cmdline, Forms) {
  const std::string hqList =
      "BROKER List for \"hq\":\nHOST: 127.0.0.1             PORT: 5465 \n"
      "HOST: 10.1.1.20             PORT: 5466 \n";
  const ShellRow rows[] = {
      // The listing prints in place, before what follows it.
      {"CommandText", "$HXO -c $'AGENT hq 127.0.0.1\\nhq.LIST\\nPRINT hi'", "", hqList + "hi\n", "",
       0},
      {"CommandTextEndedByQuit", "$HXO -c QUIT", "", "", "", 1},
      {"MissingScript", "$HXO no/such.hxo", "", "", "no/such.hxo: Cannot open file.\n", 5},
      {"StandardInput", "$HXO", "PRINT piped\nbogus\n", "piped\n",
       "STDIN:2: Unknown command: bogus.\n", 8},
      {"PromptsWhenNotQuiet", "$HXO", "SET QUIET OFF\nPRINT x\n", "> x\n> ", "", 0},
      {"DashForStandardInput", "$HXO -- -", "PRINT dash\n", "dash\n", "", 0},
      // Output that is not a terminal is not paged, whatever LINES says; a script's SET LINES is,
      // with the prompt answered from a prepared standard input.
      {"LinesFromTheEnvironment", "LINES=4 $HXO", "AGENT hq 127.0.0.1\nhq.LIST\n", hqList, "", 0},
      {"SetLines", "$HXO -c $'SET LINES 3\\nAGENT hq 127.0.0.1\\nhq.LIST\\nPRINT end'", "q\n",
       "BROKER List for \"hq\":\nHOST: 127.0.0.1             PORT: 5465 \n--more-- end\n", "", 0},
  };
  ExpectShellRows(rows);

  Folder folder;
  Result result = folder.Program("--help");
  EXPECT_EQ(result.code, 0);
  // The usage names every option the program takes.
  for (const char* option : {"--sim", "--read-only", "--dry-run", "--snapshot", "--explain", "-c",
                             "--help", "--version", " 74 "}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
  // A bad command line: one line saying what is wrong, and where help is.
  for (const char* bad : {"--bogus", "-c", "--sim", "a.hxo b.hxo", "-c PRINT a.hxo"}) {
    result = folder.Program(bad);
    EXPECT_EQ(result.code, 64) << bad;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
    EXPECT_NE(result.err.find("\nTry 'hxo_cmdline --help'.\n"), std::string::npos) << bad;
    EXPECT_EQ(result.out, "") << bad;
  }
}

// HXO_ExecuteCommands in this process, with both output streams captured.
Result Execute(const char* commands) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int code = HXO_ExecuteCommands(commands);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  return {out, testing::internal::GetCapturedStderr(), code};
}

TEST(ExportedFunctions, RunTextAsOneScript) {
  Result result = Execute("SET CONTINUE TYPO\nbogus\nPRINT go\n\n\nnope");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.out, "go\n");
  EXPECT_EQ(result.err,
            "stringbuf:2: Unknown command: bogus.\nstringbuf:6: Unknown command: nope.\n");
  // History entries of a command text keep no line ends; a new call starts a new history.
  EXPECT_EQ(Execute("PRINT a\nPRINT b\nHISTORY").out, "a\nb\n1. PRINT a2. PRINT b");
  EXPECT_EQ(Execute("!1").err, "stringbuf:1: Unknown history entry: 1.\n");
  Folder folder;
  const std::string save = "PRINT a\n!1\nHISTORY SAVE " + folder.File("h.hxo");
  EXPECT_EQ(Execute(save.c_str()).out, "a\na\n");
  EXPECT_EQ(folder.Read("h.hxo"), "PRINT aPRINT a");
}

}  // namespace

// A script that stops on a failure that printed nothing gets one line from the program saying
// where; a deliberate end, a failure that said why and a forgiven one get none.
TEST(Cmdline, SaysWhereASilentFailureStoppedTheScript) {
  const std::string tree = "AGENT a 127.0.0.1\na.SPAWN b BROKER\nb.SPAWN d dsm1\n";
  const std::string silent = "d.SPAWN t9 10.2.0.7\n";
  auto stopped = [](const std::string& where) {
    return "hxo_cmdline: " + where +
           ":4: the script stopped with code 26 (SPAWN failed on \"d\"; SET QUIET OFF shows why)\n";
  };
  const ShellRow rows[] = {
      {"CommandText", "$HXO -c \"$(cat)\"", tree + silent, "", stopped("-c"), 1},
      {"StandardInput", "$HXO", tree + silent, "", stopped("STDIN"), 26},
      {"ScriptFile", "cat > t.hxo; $HXO t.hxo", tree + silent + "PRINT not reached\n", "",
       stopped("t.hxo"), 26},
      {"Forgiven", "cat > t.hxo; $HXO t.hxo", tree + "SET CONTINUE ON\n" + silent + "PRINT on\n",
       "on\n", "", 0},
      {"Quit", "cat > t.hxo; $HXO t.hxo", tree + "QUIT\n", "", "", 6},
      {"SaidWhy", "cat > t.hxo; $HXO t.hxo", tree + "SET QUIET OFF\n" + silent, "",
       "t.hxo:5: Subcommand SPAWN failed on object \"d\".\n", 26},
  };
  ExpectShellRows(rows);
  // The library itself stays silent, and tells the program where the run stopped (from a fresh
  // start: the process's objects and session may be an earlier test's).
  ProcessWorkspace().registry().Clear();
  ProcessWorkspace().CloseServerSession();
  testing::internal::CaptureStderr();
  EXPECT_EQ(HXO_RunCommands("s", (tree + "PRINT x\n" + silent).c_str()), 26);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  char *script = nullptr, *command = nullptr, *what = nullptr;
  int line = 0;
  EXPECT_EQ(HXO_UnreportedFailure(&script, &line, &command, &what), 26);
  EXPECT_STREQ(script, "s");
  EXPECT_EQ(line, 5);
  EXPECT_STREQ(command, "d.SPAWN t9 10.2.0.7");
  EXPECT_STREQ(what, "SPAWN failed on \"d\"; SET QUIET OFF shows why");
  free(script), free(command), free(what);
  EXPECT_EQ(HXO_RunCommands("s", "QUIT\n"), 6);
  EXPECT_EQ(HXO_UnreportedFailure(nullptr, nullptr, nullptr, nullptr), 0);
}

// With --explain a failure's message is followed by the installation's reason and the way out,
// a typo by the nearest name; without it every message stands alone, as before.
TEST(Cmdline, ExplainSaysWhyAndSuggests) {
  const std::string tree =
      "SET CONTINUE ON\nSET QUIET OFF\nAGENT a 127.0.0.1\na.SPAWN b BROKER\n"
      "b.SPAWN d dsm1\n";
  const std::string sim = "  orbitane sim: ";
  struct Case {
    std::string line, explanation;
  } cases[] = {
      {"d.ADD t1 10.9.9.9", sim + "10.9.9.9 does not answer; ADD -f adds it anyway"},
      {"d.ADD t1 10.2.0.1",
       sim + "DSM dsm1 already has Target 10.2.0.1@public in its configuration; SPAWN declares "
             "the one that is there"},
      {"d.SPAWN t1 10.2.0.8",
       sim + "DSM dsm1 has no Target 10.2.0.8@public in its configuration; ADD puts a broker or "
             "a target into the configuration first"},
      {"a.RUN bogus", sim + "Agent 127.0.0.1:5465 does not accept the command \"bogus\""},
      {"PRNT x", "  did you mean PRINT?"},
      {"a.LSIT", "  did you mean LIST?"},
      {"aa.LIST", "  did you mean a?"},
      {"zzzz", ""},
  };
  Folder folder;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.line);
    folder.Write("t.hxo", tree + row.line + "\n");
    Result plain = folder.Program("t.hxo");
    Result explained = folder.Program("--explain t.hxo");
    ASSERT_EQ(std::count(plain.err.begin(), plain.err.end(), '\n'), 1) << plain.err;
    EXPECT_EQ(explained.err, plain.err + (row.explanation.empty() ? "" : row.explanation + "\n"));
    EXPECT_EQ(explained.out, plain.out);
  }
  // AGENT after a failed AUTH uses what that AUTH gave, and says so.
  Result result = folder.Program(
      "--explain -c 'SET CONTINUE ON\nAUTH KORAS operator wrong\n"
      "AGENT a 127.0.0.1'");
  EXPECT_NE(result.err.find("-c:3: Authenticiation to Ilvaris KORAS as user operator failed.\n"
                            "  orbitane sim: wrong password for user operator; AGENT used the "
                            "server, user and password of the failed AUTH on line 2: AUTH again "
                            "with the right ones\n"),
            std::string::npos)
      << result.err;
}
