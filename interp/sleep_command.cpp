// SLEEP: waits a number of seconds.
#include <chrono>
#include <thread>

#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

bool ScriptSession::HandleSleep(int lineNumber, const std::string& line,
                                ScriptOptions& options) {
  if (tokenCount(line) < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for SLEEP command.\n");
  }
  int seconds = parseIntLikeAtoi(getToken(2, line));
  if (seconds < 1) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Sleep requires a number greater than 0.\n");
  }
  if (options.verbose) consolePrint("Sleeping for %d seconds.\n", seconds);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return true;
}
