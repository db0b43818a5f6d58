// SET: changes an option of the running script.
#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

namespace {

// ON or OFF for a plain flag; false when the value is neither.
bool parseOnOff(const std::string& value, bool& result) {
  if (equalsIgnoringCase(value, "ON")) {
    result = true;
    return true;
  }
  if (equalsIgnoringCase(value, "OFF")) {
    result = false;
    return true;
  }
  return false;
}

}  // namespace

bool ScriptSession::HandleSet(int lineNumber, const std::string& line, ScriptOptions& options) {
  if (tokenCount(line) < 3) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for SET command.\n");
  }
  const std::string option = getToken(2, line);
  const std::string value = restOfLine(3, line);

  if (equalsIgnoringCase(option, "CONTINUE")) {
    const char* setting;
    if (equalsIgnoringCase(value, "ON")) {
      options.continueOnError = options.continueOnTypo = true;
      setting = "ON";
    } else if (equalsIgnoringCase(value, "OFF")) {
      options.continueOnError = options.continueOnTypo = false;
      setting = "OFF";
    } else if (equalsIgnoringCase(value, "TYPO")) {
      options.continueOnError = false;
      options.continueOnTypo = true;
      setting = "TYPO";
    } else {
      return Fail(ResultCode::kOnOffExpected, lineNumber,
                  "ON, OFF or TYPO paramater expected for CONTINUE.\n");
    }
    if (options.verbose) consolePrint("CONTINUE has been set to %s.\n", setting);
    return true;
  }

  // The three plain flags share one shape; VERBOSE always confirms ON and never OFF.
  struct Flag {
    const char* name;
    bool ScriptOptions::*field;
  };
  static constexpr Flag kFlags[] = {{"QUIET", &ScriptOptions::quiet},
                                    {"VERBOSE", &ScriptOptions::verbose},
                                    {"STEPPING", &ScriptOptions::stepping}};
  for (const Flag& flag : kFlags) {
    if (!equalsIgnoringCase(option, flag.name)) continue;
    bool on;
    if (!parseOnOff(value, on)) {
      return Fail(ResultCode::kOnOffExpected, lineNumber,
                  "ON or OFF paramater expected for %s.\n", flag.name);
    }
    options.*flag.field = on;
    bool isVerbose = flag.field == &ScriptOptions::verbose;
    if (isVerbose ? on : options.verbose) {
      consolePrint("%s has been set to %s.\n", flag.name, on ? "ON" : "OFF");
    }
    return true;
  }

  if (equalsIgnoringCase(option, "LINES")) {
    int lines = parseIntLikeAtoi(value);
    if (lines == 1 || lines < 0) {
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "LINES PER PAGE must be any posetive number except 1.\n");
    }
    options.linesPerPage = lines;
    if (options.verbose) consolePrint("LINES PER PAGE has been set to %d.\n", lines);
    return true;
  }

  if (equalsIgnoringCase(option, "DELAY")) {
    int delay = parseIntLikeAtoi(value);
    if (delay < 1) {
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "FOLLOW DELAY must be any posetive number above 0.\n");
    }
    options.followDelay = delay;
    if (options.verbose) consolePrint("FOLLOW DELAY has been set to %d seconds.\n", delay);
    return true;
  }

  return Fail(ResultCode::kInvalidSetOption, lineNumber,
              "Invalid option used with SET command.\n");
}
