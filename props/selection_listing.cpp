#include "props/selection_listing.h"

#include "runtime/pager.h"

bool PageSelection(const CommandContext& command, const ObjectSelection& selection,
                   const char* header,
                   const std::function<std::optional<std::string>(ConfigObject&)>& lineOf) {
  const int linesPerPage = PageLength(command.options);
  const ObjectRegistry& registry = selection.registry();
  auto entry = registry.begin();
  int lineNumber = 1;
  bool atHeader = header != nullptr;
  while (atHeader || entry != registry.end()) {
    PagerAnswer answer;
    if (atHeader) {
      answer = pagedPrint(command, lineNumber, "%s", header);
    } else {
      ConfigObject& object = *entry->second;
      if (!selection.Includes(object)) {
        ++entry;
        continue;
      }
      const std::optional<std::string> line = lineOf(object);
      if (!line) {
        if (!command.options.continueOnError) return false;
        ++entry;
        continue;
      }
      answer = pagedPrint(command, lineNumber, "%s", line->c_str());
    }
    if (answer == kPagerQuit) return true;
    if (answer == kPagerBack) {
      if (!PagerBackStaysInListing(lineNumber + 1, linesPerPage)) {
        atHeader = header != nullptr;
        entry = registry.begin();
        lineNumber = 1;
      } else {
        // Back over the previous page's selected objects, the one just shown included.
        const int step = PagerBackStep(linesPerPage);
        for (int stepped = 0; stepped < step && entry != registry.begin();) {
          --entry;
          if (selection.Includes(*entry->second)) {
            ++stepped;
            --lineNumber;
          }
        }
      }
      continue;
    }
    if (atHeader) {
      atHeader = false;
    } else {
      ++entry;
    }
    ++lineNumber;
  }
  return true;
}
