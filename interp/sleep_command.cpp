// SLEEP: waits a number of seconds.
#include <chrono>

#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/interrupt.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kSleepHelp[] = {
    "SYNTAX: SLEEP <secs>",
    "",
    "Waits the given number of seconds before going on with the next",
    "command. The number must be greater than 0.",
    nullptr,
};

bool HandleSleep(CommandContext& command) {
  int seconds = ParseIntLikeAtoi(getToken(2, command.line));
  if (seconds < 1) {
    return command.Fail(ResultCode::kMissingParameters,
                        "Sleep requires a number greater than 0.\n");
  }
  if (command.options.verbose) command.Confirm("Sleeping for %d seconds.\n", seconds);
  // An interrupt ends the wait; the interpreter loop reports it.
  return WaitUnlessInterrupted(command.console, std::chrono::seconds(seconds));
}
