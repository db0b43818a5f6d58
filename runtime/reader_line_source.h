// Lines of an interactive session read through a program's line reader (a line editor), which
// shows the prompt itself. Reading a line forgets an interrupt of the command before it; one
// that comes while the reader waits stays for the command read (the reader gives an empty line
// for a Ctrl-C that only cleared the line).
#pragma once

#include <string>

#include "runtime/line_source.h"

class ReaderLineSource : public LineSource {
 public:
  // reader shows prompt and gives a malloc'ed line without its line end, or null at the end.
  using Reader = char* (*)(void* context, const char* prompt);
  ReaderLineSource(Reader reader, void* context) : reader(reader), context(context) {}

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override { return !ended || !pending.empty(); }
  // The line, with a line end as a line of standard input has.
  bool NextLine(std::string_view& line) override;
  std::string_view Keep(std::string_view line) override { return store.Add(line); }

 private:
  // Stores the next line in line; false at the end.
  bool ReadOneLine(std::string& line);

  Reader reader;
  void* context;
  bool ended = false;
  std::string pending;  // the rest of a line that readLine has delivered in part
  std::string current;  // the line NextLine gave last
  LineStore store;      // the lines kept for the history
};
