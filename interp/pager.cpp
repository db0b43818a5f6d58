#include "interp/pager.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "entry/script_session.h"
#include "runtime/console.h"

PagerAnswer pagedPrint(ScriptSession& session, const ScriptOptions& options, int lineNumber,
                       const char* format, ...) {
  // The line is formatted whole, however long, so nothing is cut or written past a buffer.
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  text.push_back('\n');

  if (session.sink != nullptr) {
    session.sink->write(text.c_str());
  } else {
    consoleWrite(text);
  }

  if (options.linesPerPage < 3) return kPagerNoPrompt;
  if (lineNumber % (options.linesPerPage - 1) != 0) return kPagerNoPrompt;
  return pagerPrompt("--more--");
}

PagerAnswer pagerPrompt(const char* prompt, PagerAnswer atEndOfInput) {
  consolePrint("%s ", prompt);
  std::string answer;
  if (!consoleReadLine(answer)) return atEndOfInput;
  if (!answer.empty() && (answer[0] == 'Q' || answer[0] == 'q')) return kPagerQuit;
  if (!answer.empty() && (answer[0] == 'B' || answer[0] == 'b')) return kPagerBack;
  return kPagerContinue;
}

bool ListingPager::Follow(PagerAnswer answer) {
  if (answer == kPagerQuit) return false;
  int nextLine = line + 1;
  if (answer == kPagerBack) {
    if (pagerBackStaysInListing(nextLine, linesPerPage)) {
      // The first line of the previous page: a page is linesPerPage - 1 lines back from the
      // first line of the page just shown.
      line = nextLine - (pagerBackStep(linesPerPage) + 1);
      itemIndex -= static_cast<size_t>(pagerBackStep(linesPerPage));
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
