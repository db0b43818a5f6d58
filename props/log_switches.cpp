#include "props/log_switches.h"

#include "runtime/c_number.h"
#include "runtime/tokens.h"

LogSwitchParse ParseLogSwitches(std::string_view line) {
  LogSwitchParse result;
  const unsigned count = tokenCount(line);
  unsigned next = 2;  // the next token not yet used
  while (next <= count) {
    const std::string token = getToken(next, line);
    if (token[0] != '-') break;
    ++next;
    for (size_t letter = 1; letter < token.size(); ++letter) {
      switch (token[letter]) {
        case 'f':
          result.switches.follow = true;
          break;
        case 'i':
          result.switches.interactive = true;
          break;
        case 't': {
          if (next > count) {
            result.error = LogSwitchError::kTailWithoutNumber;
            return result;
          }
          const std::string number = getToken(next++, line);
          const int lines = ParseIntLikeAtoi(number);
          if (number[0] == '-' || lines < 1) {
            result.error = LogSwitchError::kTailNotPositive;
            return result;
          }
          result.switches.tailCount = lines;
          break;
        }
        default:
          result.error = LogSwitchError::kInvalidSwitch;
          return result;
      }
    }
  }
  if (next <= count) {
    result.backupToken = getToken(next, line);
    result.switches.backup = ParseIntLikeAtoi(result.backupToken);
    if (result.switches.backup < 1) result.error = LogSwitchError::kBadBackup;
  }
  return result;
}

std::string LogSwitchMessage(const LogSwitchParse& parse) {
  switch (parse.error) {
    case LogSwitchError::kNone:
      return "";
    case LogSwitchError::kInvalidSwitch:
      return "Invalid switch used in LOG subcommand.";
    case LogSwitchError::kTailWithoutNumber:
      return "The -t switch requires a parameter.";
    case LogSwitchError::kTailNotPositive:
      return "The -t switch requires a number greater than 0 a a parameter.";
    case LogSwitchError::kBadBackup:
      return "Invalid backup log number " + parse.backupToken + ".";
  }
  return "";
}
