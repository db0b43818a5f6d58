// HISTORY: lists, clears or saves the lines of this script's successful commands.
#include <cstdio>
#include <cstring>

#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/listing_output.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The stored lines with their numbers, one at a time.
class HistoryRows : public RowSource {
 public:
  explicit HistoryRows(const CommandHistory& history) : history(history) {}
  std::optional<ListingRow> Next() override {
    if (next >= history.size()) return std::nullopt;
    ++next;
    return HistoryEntry{next, std::string(history[next - 1])};
  }

 private:
  const CommandHistory& history;
  size_t next = 0;
};

}  // namespace

// What HELP prints for this command.
extern const char* const kHistoryHelp[] = {
    "SYNTAX: HISTORY [CLEAR|SAVE <file>]",
    "",
    "Without a parameter, lists the commands run since the start of this",
    "script or since the last HISTORY CLEAR, each with its number.",
    "",
    "HISTORY CLEAR empties the list.",
    "",
    "HISTORY SAVE <file> writes the commands of the list, without numbers,",
    "to the named file, replacing any file of that name. The file can later",
    "be run as a script with INCLUDE.",
    "",
    "Only commands that succeeded are kept: failed commands are never",
    "stored, nor are HISTORY itself, HELP, ABORT or QUIT.",
    "",
    "A line made of ! and an entry number runs that command again, so !3",
    "repeats the third command of the list. A ! followed by a negative",
    "number counts back from the end of the list instead: !-1 repeats the",
    "last command.",
    nullptr,
};

bool HandleHistory(CommandContext& command) {
  const std::string subcommand = getToken(2, command.line);
  if (subcommand.empty()) {
    // Written to standard output, neither paged nor captured.
    HistoryRows rows(command.session.history);
    PrintListing(command.console, {ListingKind::kHistory, ""}, rows);
    return false;
  }
  if (EqualsIgnoringCase(subcommand, "CLEAR")) {
    command.session.history.clear();
    if (command.options.verbose) command.Confirm("Command history has been cleared.\n");
    return false;
  }
  if (EqualsIgnoringCase(subcommand, "SAVE")) {
    if (tokenCount(command.line) < 3) {
      return command.Fail(ResultCode::kMissingParameters,
                          "Insufficient paramaters for SAVE subcommand.\n");
    }
    const std::string fileName = getToken(3, command.line);
    FILE* file = std::fopen(fileName.c_str(), "w");
    if (file == nullptr) {
      return command.Fail(ResultCode::kCannotWriteFile, "Could not open file %s for writing.\n",
                          fileName.c_str());
    }
    if (int error = command.session.history.WriteAndClose(file); error != 0) {
      return command.Fail(ResultCode::kCannotWriteFile, "Could not write file %s: %s.\n",
                          fileName.c_str(), std::strerror(error));
    }
    if (command.options.verbose) {
      command.Confirm("Command history has been saved to file %s.\n", fileName.c_str());
    }
    return false;
  }
  return command.Fail(ResultCode::kUnknownSubcommand, "Unknown subcommand: %s.\n",
                      subcommand.c_str());
}
