// EXEC: runs an operating-system command through the shell and waits for it.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Runs the command through the shell with its standard output and standard error read into the
// console, so that in JSON each of their lines becomes a document ("text", "note"); gives the
// wait status as std::system does, -1 when the command could not be started.
int RunReadingOutput(const std::string& shellCommand, Console& console) {
  int output[2];
  int error[2];
  if (pipe2(output, O_CLOEXEC) != 0) return -1;
  if (pipe2(error, O_CLOEXEC) != 0) {
    close(output[0]);
    close(output[1]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, error[1], STDERR_FILENO);
  const char* arguments[] = {"sh", "-c", shellCommand.c_str(), nullptr};
  pid_t child = -1;
  const int spawned = posix_spawn(&child, "/bin/sh", &actions, nullptr,
                                  const_cast<char* const*>(arguments), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  close(error[1]);
  pollfd ends[2] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}};
  for (int open = spawned == 0 ? 2 : 0; open > 0;) {
    // An interrupt reaches the command too; reading goes on until it has ended.
    if (poll(ends, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (pollfd& end : ends) {
      if (end.fd < 0 || end.revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(end.fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        close(end.fd);
        end.fd = -1;  // poll skips it from now on
        --open;
      } else if (&end == &ends[0]) {
        console.Write(std::string_view(buffer, static_cast<size_t>(got)));
      } else {
        console.Error("%.*s", static_cast<int>(got), buffer);
      }
    }
  }
  for (const pollfd& end : ends) {
    if (end.fd >= 0) close(end.fd);
  }
  console.FlushOutput();
  if (spawned != 0) return -1;
  int waitStatus = 0;
  while (waitpid(child, &waitStatus, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return waitStatus;
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
