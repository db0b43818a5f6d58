#include "runtime/pager.h"

#include <climits>
#include <string>

#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/interrupt.h"
#include "runtime/page_length.h"
#include "runtime/prompt_input.h"

PagerAnswer pagedPrint(const CommandContext& command, int64_t lineNumber, std::string_view text) {
  if (command.session.sink != nullptr) {
    command.session.sink->write(std::string(text).c_str());
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

Pager::Pager(const CommandContext& command)
    : command(command), linesPerPage(PageLength(command.options)) {}

PagerMove Pager::Print(std::string_view text) {
  const PagerAnswer answer = pagedPrint(command, lineOnPage, text);
  switch (answer) {
    case kPagerNoPrompt:
      if (lineOnPage < INT64_MAX) ++lineOnPage;  // without paging it only counts
      return PagerMove::kNext;
    case kPagerContinue:
      lineOnPage = 1;
      ++page;
      return PagerMove::kNext;
    case kPagerQuit:
      return PagerMove::kQuit;
    case kPagerBack:
      break;
  }
  // The prompt ended page number page; going back shows the page before it, or the listing's
  // start when that is the first page.
  lineOnPage = 1;
  if (page < 2) {
    page = 0;
    return PagerMove::kRestart;
  }
  --page;
  return PagerMove::kBackAPage;
}

PagerAnswer Pager::Ask(const char* prompt, PagerAnswer atEndOfInput) {
  lineOnPage = 1;
  return pagerPrompt(command.console, prompt, atEndOfInput);
}

int Pager::backStep() const {
  // At most INT_MAX, however long a page was set to be.
  const long long step = 2LL * linesPerPage - 3;
  return step > INT_MAX ? INT_MAX : static_cast<int>(step);
}
