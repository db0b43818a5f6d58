// The seam between hxo_cmdline and a line-editing library: line editing, history recall and Tab
// completion at the terminal when the program is built with libedit, plain reading otherwise.
// Only the interactive session uses it; scripts, pipes and tests never do.
#pragma once

// Starts editing on the terminal: loads the history file (historyPath may be empty) and hooks
// up completion.
void LineEditorStart(const char* historyPath);
// Shows prompt and reads one line: malloc'ed, without its line end; null at the end of input
// or when a signal interrupted the read.
char* LineEditorRead(const char* prompt);
// Adds a line to the history that Up recalls.
void LineEditorRemember(const char* line);
// Writes the history file (mode 0600) and gives the terminal back.
void LineEditorStop();
