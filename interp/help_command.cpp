// HELP: prints the general screen or the text of one command.
#include <vector>

#include "interp/command_table.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/listing_output.h"
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
  std::vector<ListingRow> lines;
  for (HelpLines line = found->second; *line != nullptr; ++line) lines.push_back(TextLine{*line});
  RowList rows(std::move(lines));
  const Listing listing{ListingKind::kHelp, found->first};
  // At the terminal a text longer than the window is paged like any listing.
  if (command.options.terminalSession) {
    PageListing(command, listing, rows);
  } else {
    PrintListing(command.console, listing, rows);
  }
  return false;
}
