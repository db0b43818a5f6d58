// The parameters of obj.LOG [switches] [backup]: -f follows the log, -i stops at its end with an
// "--EOF--" prompt, -t n shows the last n lines; a number after the switches picks a backup log.
#pragma once

#include <string>
#include <string_view>

struct LogSwitches {
  bool follow = false;
  bool interactive = false;
  int tailCount = 0;  // 0: from the start of the log
  int backup = 0;     // 0: the current log
};

enum class LogSwitchError {
  kNone,
  kInvalidSwitch,      // a letter other than f, i, t
  kTailWithoutNumber,  // t with no token left
  kTailNotPositive,    // t's token begins with "-" or is below 1
  kBadBackup,          // the backup token is below 1
};

struct LogSwitchParse {
  LogSwitches switches;
  LogSwitchError error = LogSwitchError::kNone;
  std::string backupToken;  // the token refused as a backup number
};

// Reads the switches from token 2 on. Tokens beginning with "-" hold switch letters; each t
// takes the next token not yet used as its number, so "-t 5 -f" and "-ft 5" are the same. The
// first token that is not a switch token is the backup number.
LogSwitchParse ParseLogSwitches(std::string_view line);

// The message of a parse's error, without a line end; empty when there is none.
std::string LogSwitchMessage(const LogSwitchParse& parse);
