// The console: standard output, standard error and standard input, kept in order.
//
// Standard output is flushed before anything is read from standard input and before anything is
// written to standard error, so that a transcript taken with 2>&1 shows everything in the order
// it happened and a prompt is on the screen before the program waits.
#pragma once

#include <cstdarg>
#include <string>

// printf to standard output. User text is only ever passed as an argument, never as format.
void ConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes text to standard output unchanged.
void ConsoleWrite(std::string_view text);
// printf to standard error, after flushing standard output.
void ConsoleError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ConsoleErrorV(const char* format, va_list arguments);
// How many writes to standard error the library has made: whether a command said anything.
unsigned long ConsoleErrorCount();
// Reads one line from standard input (after flushing standard output), without its line end;
// at most kMaxLineBytes of it (runtime/bounded_line.h). False at the end of input with nothing
// read.
bool ConsoleReadLine(std::string& line);
