#include "runtime/pager.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/formatted.h"
#include "runtime/interrupt.h"
#include "runtime/page_length.h"
#include "runtime/prompt_input.h"

PagerAnswer pagedPrint(const CommandContext& command, int lineNumber, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = FormattedV(format, arguments);
  va_end(arguments);
  text.push_back('\n');

  if (command.session.sink != nullptr) {
    command.session.sink->write(text.c_str());
  } else {
    command.console.Write(text);
  }

  const int linesPerPage = PageLength(command.options);
  if (linesPerPage < 3) return kPagerNoPrompt;
  if (lineNumber % (linesPerPage - 1) != 0) return kPagerNoPrompt;
  return pagerPrompt(command.console, "--more--");
}

PagerAnswer pagerPrompt(Console& console, const char* prompt, PagerAnswer atEndOfInput) {
  char key;
  const bool answered = AskForKey(console, std::string(prompt) + " ", key);
  if (InterruptRequested()) return kPagerQuit;
  if (!answered) return atEndOfInput;
  if (key == 'Q' || key == 'q') return kPagerQuit;
  if (key == 'B' || key == 'b') return kPagerBack;
  return kPagerContinue;
}

bool ListingPager::Follow(PagerAnswer answer) {
  if (answer == kPagerQuit) return false;
  int nextLine = line + 1;
  if (answer == kPagerBack) {
    if (PagerBackStaysInListing(nextLine, linesPerPage)) {
      // The first line of the previous page: a page is linesPerPage - 1 lines back from the
      // first line of the page just shown.
      line = nextLine - (PagerBackStep(linesPerPage) + 1);
      itemIndex -= static_cast<size_t>(PagerBackStep(linesPerPage));
    } else {
      Start();
    }
    return true;
  }
  line = nextLine;
  if (header) {
    header = false;
  } else {
    ++itemIndex;
  }
  return true;
}
