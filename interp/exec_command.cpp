// EXEC: runs an operating-system command through the shell and waits for it.
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/interrupt.h"
#include "runtime/output_format.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The command's status as a shell reports it: its exit code, or 128 plus the number of the
// signal that ended it; -1 when it could not be run at all.
int ShellStatus(int waitStatus) {
  if (waitStatus == -1) return -1;
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return waitStatus;
}

// Runs the command with its standard output read into the console, so that in JSON each of its
// lines becomes a document of its own; gives the status as std::system does.
int RunReadingOutput(const std::string& shellCommand, Console& console) {
  FILE* child = popen(shellCommand.c_str(), "r");
  if (child == nullptr) return -1;
  char buffer[4096];
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, child)) > 0;) {
    console.Write(std::string_view(buffer, read));
  }
  console.FlushOutput();
  return pclose(child);
}

}  // namespace

// What HELP prints for this command.
extern const char* const kExecHelp[] = {
    "SYNTAX: EXEC <command>",
    "",
    "Runs an operating system command, the rest of the line, and waits for",
    "it to finish. A return value other than 0 counts as a failure of the",
    "EXEC command.",
    nullptr,
};

bool HandleExec(CommandContext& command) {
  const std::string shellCommand = restOfLine(2, command.line);
  // The command's own output must come after everything printed before it.
  command.console.FlushOutput();
  const int waitStatus = JsonOutput() ? RunReadingOutput(shellCommand, command.console)
                                      : std::system(shellCommand.c_str());
  // Ctrl-C at the terminal reaches the command, not this process, which waits ignoring it; a
  // command ended that way ends EXEC as interrupted, which the interpreter loop reports.
  if (waitStatus != -1 && WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == SIGINT) {
    RequestInterrupt();
    return false;
  }
  int status = ShellStatus(waitStatus);
  if (status != 0) {
    return command.Fail(ResultCode::kExecFailed,
                        "The following command returned error code %d: %s\n", status,
                        shellCommand.c_str());
  }
  if (command.options.verbose)
    command.Confirm("Successfully ran command: %s\n", shellCommand.c_str());
  return true;
}
