// The seam between hxo_cmdline and a line-editing library: line editing, history recall and Tab
// completion at the terminal when the program is built with libedit, plain reading otherwise.
// Only the interactive session uses it; scripts, pipes and tests never do.
#pragma once

#include <cstdio>

// Starts editing on the terminal: loads the history file (historyPath may be empty), hooks up
// completion, and shows prompts and the line being edited on screen (standard output, or
// standard error when standard output is not the terminal).
void LineEditorStart(const char* historyPath, FILE* screen);
// Shows prompt and reads one line: malloc'ed, without its line end; null at the end of input
// or when a signal interrupted the read.
char* LineEditorRead(const char* prompt);
// Adds a line to the history that Up recalls.
void LineEditorRemember(const char* line);
// Writes the history file (mode 0600) and gives the terminal back.
void LineEditorStop();
