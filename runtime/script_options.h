// The small record that steers a running script. Each session runs on its own copy.
#pragma once

struct ScriptOptions {
  bool continueOnError = false;  // go on after failures of every class except code 6
  bool continueOnTypo = false;   // go on after typo-class failures
  bool verbose = false;          // print a confirmation for successful commands
  bool stepping = false;         // ask before each command
  bool quiet = true;             // no prompt for interactive sessions, no SPAWN-on-DSM failure
  // A person at a terminal types the lines: an interrupt ends the command only, and HELP takes
  // a bare subcommand name.
  bool terminalSession = false;
  const char* objectSeparator = ".";
  int linesPerPage = 25;  // 0 means no paging; read it through PageLength (page_length.h)
  int followDelay = 5;    // seconds between looks at a followed log

  // The options of the entry points: everything as above, lines per page from the program
  // (SetProgramPageLength) or else from LINES.
  static ScriptOptions EntryDefaults();
};
