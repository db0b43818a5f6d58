// EXEC: runs an operating-system command through the shell and waits for it.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "runtime/console.h"

namespace {

// The command's status as a shell reports it: its exit code, or 128 plus the number of the
// signal that ended it; -1 when it could not be run at all.
int shellStatus(int waitStatus) {
  if (waitStatus == -1) return -1;
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return waitStatus;
}

}  // namespace

bool ScriptSession::HandleExec(int lineNumber, const std::string& line, ScriptOptions& options) {
  if (tokenCount(line) < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for EXEC command.\n");
  }
  const std::string command = restOfLine(2, line);
  // The command's own output must come after everything printed before it.
  std::fflush(stdout);
  int status = shellStatus(std::system(command.c_str()));
  if (status != 0) {
    return Fail(ResultCode::kExecFailed, lineNumber,
                "The following command returned error code %d: %s\n", status, command.c_str());
  }
  if (options.verbose) consolePrint("Successfully ran command: %s\n", command.c_str());
  return true;
}
