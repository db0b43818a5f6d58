// SET: changes an option of the running script.
#include "runtime/c_number.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// ON or OFF for a plain flag; false when the value is neither.
bool ParseOnOff(const std::string& value, bool& result) {
  if (EqualsIgnoringCase(value, "ON")) {
    result = true;
    return true;
  }
  if (EqualsIgnoringCase(value, "OFF")) {
    result = false;
    return true;
  }
  return false;
}

}  // namespace

// What HELP prints for this command.
extern const char* const kSetHelp[] = {
    "SYNTAX: SET <option> <value>",
    "",
    "Changes an option of this session of hxo_cmdline. The change holds for",
    "the rest of the current script and for the scripts it includes from",
    "then on, but not for the script that included it. Option names and the",
    "words ON, OFF and TYPO may be written in any case. The options are:",
    "",
    "CONTINUE  ON, TYPO or OFF. With ON the script goes on after any failed",
    "          command. With TYPO it goes on only after mistyped commands,",
    "          such as an unknown command, an unknown option or a missing",
    "          parameter; other failures end it. With OFF, the default, the",
    "          first failure ends the script. CONTINUE must be set again in",
    "          each script that needs it.",
    "",
    "VERBOSE   ON or OFF. With ON a confirmation is printed for every",
    "          command that succeeds; with OFF none is printed.",
    "          The default is OFF.",
    "",
    "QUIET     ON or OFF. With ON, the default, no prompt is shown while",
    "          commands are typed in, and a failed obj.SPAWN on a DSM",
    "          object is not reported (it still counts as a failure).",
    "",
    "STEPPING  ON or OFF. With ON you are asked before each command is",
    "          run. The default is OFF.",
    "",
    "LINES     The number of lines per page of long listings, which stop",
    "          at a --more-- prompt after each page. 0 stops page breaks",
    "          altogether; 1 is not allowed. The default is taken from the",
    "          LINES environment variable, or else 25.",
    "",
    "DELAY     The number of seconds between checks for new lines while a",
    "          log file is followed with obj.LOG -f. It must be above 0.",
    "          The default is 5.",
    nullptr,
};

bool HandleSet(CommandContext& command) {
  const std::string option = getToken(2, command.line);
  const std::string value = restOfLine(3, command.line);

  if (EqualsIgnoringCase(option, "CONTINUE")) {
    const char* setting;
    if (EqualsIgnoringCase(value, "ON")) {
      command.options.continueOnError = command.options.continueOnTypo = true;
      setting = "ON";
    } else if (EqualsIgnoringCase(value, "OFF")) {
      command.options.continueOnError = command.options.continueOnTypo = false;
      setting = "OFF";
    } else if (EqualsIgnoringCase(value, "TYPO")) {
      command.options.continueOnError = false;
      command.options.continueOnTypo = true;
      setting = "TYPO";
    } else {
      return command.Fail(ResultCode::kOnOffExpected,
                          "ON, OFF or TYPO paramater expected for CONTINUE.\n");
    }
    if (command.options.verbose) command.Confirm("CONTINUE has been set to %s.\n", setting);
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
    if (!EqualsIgnoringCase(option, flag.name)) continue;
    bool on;
    if (!ParseOnOff(value, on)) {
      return command.Fail(ResultCode::kOnOffExpected, "ON or OFF paramater expected for %s.\n",
                          flag.name);
    }
    command.options.*flag.field = on;
    bool isVerbose = flag.field == &ScriptOptions::verbose;
    if (isVerbose ? on : command.options.verbose) {
      command.Confirm("%s has been set to %s.\n", flag.name, on ? "ON" : "OFF");
    }
    return true;
  }

  if (EqualsIgnoringCase(option, "LINES")) {
    int lines = ParseIntLikeAtoi(value);
    if (lines == 1 || lines < 0) {
      return command.Fail(ResultCode::kMissingParameters,
                          "LINES PER PAGE must be any posetive number except 1.\n");
    }
    command.options.linesPerPage = lines;
    if (command.options.verbose) command.Confirm("LINES PER PAGE has been set to %d.\n", lines);
    return true;
  }

  if (EqualsIgnoringCase(option, "DELAY")) {
    int delay = ParseIntLikeAtoi(value);
    if (delay < 1) {
      return command.Fail(ResultCode::kMissingParameters,
                          "FOLLOW DELAY must be any posetive number above 0.\n");
    }
    command.options.followDelay = delay;
    if (command.options.verbose)
      command.Confirm("FOLLOW DELAY has been set to %d seconds.\n", delay);
    return true;
  }

  return command.Fail(ResultCode::kInvalidSetOption, "Invalid option used with SET command.\n");
}
