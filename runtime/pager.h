// The pager: listings go line by line to the session's text sink, and every page the console
// shows "--more--" and reads the user's answer. The pager keeps no lines: it tells the listing
// where to go on (the next line, the start again, or back a page) and the listing moves over its
// own data.
#pragma once

#include <cstdint>
#include <string_view>

class Console;
struct CommandContext;

enum PagerAnswer : int {
  kPagerNoPrompt = 0,  // no prompt was shown
  kPagerContinue = 1,
  kPagerQuit = 2,
  kPagerBack = 3,
};

// Writes text (one line with its line end) to the running session's sink (standard output when
// it has none). lineNumber is the line's number in the listing, from 1; after every
// linesPerPage - 1 lines the console prompt "--more--" is shown, unless linesPerPage is below 3.
PagerAnswer pagedPrint(const CommandContext& command, int64_t lineNumber, std::string_view text);

// Shows prompt and a blank and reads one answer line where prompts are answered
// (runtime/prompt_input.h): q quits, b goes back, anything else continues; the end of input
// (or no one to answer) gives atEndOfInput; an interrupt quits.
PagerAnswer pagerPrompt(Console& console, const char* prompt,
                        PagerAnswer atEndOfInput = kPagerContinue);

// Where a listing goes on after a line.
enum class PagerMove {
  kNext,       // the following line
  kQuit,       // nowhere: the listing stops
  kRestart,    // its first line (a back answer on its first two pages)
  kBackAPage,  // backStep() lines before the line just shown: the first of the previous page
};

// Pages one listing: counts its lines into pages and turns the answers into moves.
class Pager {
 public:
  explicit Pager(const CommandContext& command);

  // Writes one line (with its line end) and, at the end of a page, asks.
  PagerMove Print(std::string_view text);
  // Asks with a prompt of the listing's own (LOG's "--EOF--"); a new page starts after it.
  PagerAnswer Ask(const char* prompt, PagerAnswer atEndOfInput);
  // How many lines a back answer steps over: two pages less the prompt lines.
  int backStep() const;

 private:
  const CommandContext& command;
  const int linesPerPage;
  int64_t lineOnPage = 1;
  int64_t page = 0;  // of the listing, from 0
};
