// HELP: prints the general screen or the text of one command.
#include "interp/command_table.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/pager.h"
#include "runtime/tokens.h"

bool HandleHelp(CommandContext& command) {
  std::string topic = getToken(2, command.line);
  if (topic.empty()) topic = "HELP";
  const HelpTopics& topics = HelpTopicTable();
  auto found = topics.find(topic);
  // At the terminal a subcommand's name alone is enough.
  if (found == topics.end() && command.options.terminalSession) found = topics.find("obj." + topic);
  if (found == topics.end()) {
    command.console.Error("No help available for %s.\n", topic.c_str());
    return false;
  }
  if (!command.options.terminalSession) {
    for (HelpLines line = found->second; *line != nullptr; ++line)
      command.console.Print("%s\n", *line);
    return false;
  }
  // At the terminal a text longer than the window is paged like any listing.
  size_t count = 0;
  while (found->second[count] != nullptr) ++count;
  ListingPager pager(command.options, false);
  pager.Start();
  while (pager.item() < count) {
    const PagerAnswer answer =
        pagedPrint(command, pager.lineNumber(), "%s", found->second[pager.item()]);
    if (!pager.Follow(answer)) break;
  }
  return false;
}
