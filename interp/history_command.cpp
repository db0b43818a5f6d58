// HISTORY: lists, clears or saves the lines of this script's successful commands.
#include <cstdio>
#include <cstring>

#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/console.h"

bool ScriptSession::HandleHistory(int lineNumber, const std::string& line,
                                  ScriptOptions& options) {
  const std::string subcommand = getToken(2, line);
  if (subcommand.empty()) {
    // Entries keep their own line ends, if any; nothing is added.
    for (size_t i = 0; i < history.size(); ++i) {
      consolePrint("%zu. ", i + 1);
      consoleWrite(history[i]);
    }
    return false;
  }
  if (equalsIgnoringCase(subcommand, "CLEAR")) {
    history.clear();
    if (options.verbose) consolePrint("Command history has been cleared.\n");
    return false;
  }
  if (equalsIgnoringCase(subcommand, "SAVE")) {
    if (tokenCount(line) < 3) {
      return Fail(ResultCode::kMissingParameters, lineNumber,
                  "Insufficient paramaters for SAVE subcommand.\n");
    }
    const std::string fileName = getToken(3, line);
    FILE* file = std::fopen(fileName.c_str(), "w");
    if (file == nullptr) {
      return Fail(ResultCode::kCannotWriteFile, lineNumber,
                  "Could not open file %s for writing.\n", fileName.c_str());
    }
    if (int error = history.WriteAndClose(file); error != 0) {
      return Fail(ResultCode::kCannotWriteFile, lineNumber, "Could not write file %s: %s.\n",
                  fileName.c_str(), std::strerror(error));
    }
    if (options.verbose) {
      consolePrint("Command history has been saved to file %s.\n", fileName.c_str());
    }
    return false;
  }
  return Fail(ResultCode::kUnknownSubcommand, lineNumber, "Unknown subcommand: %s.\n",
              subcommand.c_str());
}
