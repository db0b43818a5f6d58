// --undo FILE: after a real run, the script that takes the installation back to where it was.
#pragma once

struct UndoOption {
  const char* file = nullptr;  // where the undo script goes; null without --undo
};

// Takes argv[i] (and its value) when it is --undo: 1 taken, 0 not --undo, -1 a missing value.
int TakeUndoOption(int argc, char** argv, int& i, UndoOption& undo);

extern const char kUndoUsage[];

// Before the installation is opened (ORBITANE_SIM set): 0 to go on, else the exit status (a dry
// run has nothing to undo; FILE names the installation file or the script; another implementation
// of the interface cannot tell what a run changed).
int PrepareUndo(const UndoOption& undo, bool dryRun, const char* script);

// After the run of script (null for standard input, commands for -c): the undo script written,
// and a warning for each entry it cannot bring back. 0, or the exit status of a failure.
int WriteUndo(const UndoOption& undo, const char* script, const char* commands);
