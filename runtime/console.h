// The console a session writes to and reads from: its standard output, standard error and
// standard input, kept in order.
//
// Standard output is flushed before anything is read from standard input and before anything is
// written to standard error, so that a transcript taken with 2>&1 shows everything in the order
// it happened and a prompt is on the screen before the program waits. The exported functions
// give their sessions the process's console (entry/process_console.h); a session hands its
// console to everything below its handlers that writes or reads.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

class Console {
 public:
  Console(FILE* output, FILE* error, FILE* input) : output(output), error(error), input(input) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // printf to standard output. User text is only ever passed as an argument, never as format.
  void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Writes text to standard output unchanged.
  void Write(std::string_view text);
  // printf to standard error, after flushing standard output.
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void ErrorV(const char* format, va_list arguments);
  // A failure: "script:line: " and the message (with its line end) on standard error; the script
  // is left out when empty, the line when 0 (a script that did not start). In JSON a document
  // of type "error", the code null when the message sets none.
  void Failure(std::string_view script, int line, std::optional<int> code,
               std::string_view message);
  // The confirmation of a successful command (with its line end): as it stands, or in JSON a
  // document of type "message" naming the script and the line.
  void Message(std::string_view script, int line, std::string_view text);
  // One JSON document (a listing), written to standard output as it is.
  void Document(std::string_view document);
  // How many writes to standard error this console has taken: whether a command said anything.
  unsigned long errorCount() const { return errorWrites; }
  // Reads one line from standard input (after flushing standard output), without its line end;
  // at most kMaxLineBytes of it (runtime/bounded_line.h). False at the end of input with nothing
  // read.
  bool ReadLine(std::string& line);
  // Flushes standard output, before another writer (a child process, the terminal) shows
  // something, or before a wait.
  // In JSON, a line begun and not yet ended (on either stream) goes out first as a document of its
  // own.
  void FlushOutput();

  // The streams themselves, for the session's sink and for reading a script from standard input.
  FILE* outputStream() const { return output; }
  FILE* inputStream() const { return input; }

 private:
  FILE* output;
  FILE* error;
  FILE* input;
  unsigned long errorWrites = 0;
  // In JSON: the plain text written since the last line end, on each stream; whole lines go out
  // as documents of type "text" (standard output) and "note" (standard error).
  std::string pendingText;
  std::string pendingNote;
  void FlushText();  // standard output only
  void JsonText(std::string_view text);
  void JsonNote(std::string_view text);
};
