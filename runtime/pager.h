// The pager: listings go line by line to the session's text sink, and every page the console
// shows "--more--" and reads the user's answer. Going back a page is done by the caller, which
// prints again from its own data; ListingPager holds that arithmetic once for every listing.
#pragma once

#include <climits>
#include <cstddef>

#include "runtime/page_length.h"
#include "runtime/script_options.h"

class Console;
struct CommandContext;

enum PagerAnswer : int {
  kPagerNoPrompt = 0,  // no prompt was shown
  kPagerContinue = 1,
  kPagerQuit = 2,
  kPagerBack = 3,
};

// Formats one line (printf conventions), adds a line end and writes it to the running session's
// sink (standard output when it has none), paging by the session's options. lineNumber is the
// caller's running count of lines in this listing, from 1; after every linesPerPage - 1 lines the
// console prompt "--more--" is shown, unless linesPerPage is below 3.
PagerAnswer pagedPrint(const CommandContext& command, int lineNumber, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Shows prompt and a blank and reads one answer line where prompts are answered
// (runtime/prompt_input.h): q quits, b goes back, anything else continues; the end of input
// (or no one to answer) gives atEndOfInput; an interrupt quits.
PagerAnswer pagerPrompt(Console& console, const char* prompt,
                        PagerAnswer atEndOfInput = kPagerContinue);

// What a listing of a header line and numbered items does after each answer of the pager.
//
//   ListingPager pager(options);
//   for (pager.Start(); ...;) {
//     answer = pagedPrint(..., pager.lineNumber(), ...);   // header when pager.atHeader()
//     if (!pager.Follow(answer)) break;                     // quit
//   }
//
// The caller prints the header while atHeader() holds and item number item() otherwise; after
// each printed line it passes the pager's answer to Follow, which advances or moves back.
class ListingPager {
 public:
  // A listing without header starts with item 0 as line 1.
  explicit ListingPager(const ScriptOptions& options, bool withHeader = true)
      : linesPerPage(PageLength(options)), withHeader(withHeader) {}

  // Back to the start of the listing, line 1.
  void Start() {
    line = 1;
    header = withHeader;
    itemIndex = 0;
  }
  bool atHeader() const { return header; }
  size_t item() const { return itemIndex; }
  int lineNumber() const { return line; }

  // Takes the answer to the line just printed. False when the listing must stop (quit);
  // otherwise the position is the next line to print: the following item, the header again
  // (back on the first two pages), or the first line of the previous page.
  bool Follow(PagerAnswer answer);

 private:
  int linesPerPage;
  bool withHeader;
  int line = 1;
  bool header = true;
  size_t itemIndex = 0;
};

// For listings that step back on their own (selections that skip objects, log files): true when
// a back answer given after line lineNumberAfter (the number of the next line) goes back a whole
// page rather than to the start of the listing.
inline bool PagerBackStaysInListing(int lineNumberAfter, int linesPerPage) {
  return lineNumberAfter >= 2LL * linesPerPage;
}

// How many lines (or items) a back answer steps over: two pages less the prompt lines; at most
// INT_MAX, however long a page was set to be.
inline int PagerBackStep(int linesPerPage) {
  long long step = 2LL * linesPerPage - 3;
  return step > INT_MAX ? INT_MAX : static_cast<int>(step);
}
