// hxo_cmdline: runs a script file, a command text, or standard input through libHxpHxo.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/signals.h"
#include "cli/terminal_session.h"
#include "hxo/hxo.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kInterruptedStatus = 130;  // as a shell reports a program ended by Ctrl-C

const char kUsage[] =
    "usage: hxo_cmdline [--sim FILE] [-c COMMANDS] [SCRIPT]\n"
    "\n"
    "Runs a configuration script against the installation.\n"
    "\n"
    "  SCRIPT        run this script file\n"
    "  -             read the script from standard input (also when no script is given)\n"
    "  -c COMMANDS   run the command text; its listings print in place\n"
    "  --sim FILE    use this simulated installation file (sets ORBITANE_SIM)\n"
    "  --            end of the options: what follows is the script's name\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "At a terminal the session has line editing, history and Tab completion, and\n"
    "goes on after failures. --more--, PAUSE and STEPPING are answered at the\n"
    "terminal, never from a script read on standard input. Output that is not a\n"
    "terminal is not paged unless the script sets LINES.\n"
    "\n"
    "Exit status: the script's result code (0 success, 6 after QUIT, EXIT, BYE or\n"
    "ABORT ALL); with -c, 0 or 1; 130 when Ctrl-C ended it; 64 for a bad command\n"
    "line.\n";

int UsageError(const char* problem, const char* detail) {
  std::fprintf(stderr, "hxo_cmdline: %s%s\n%s", problem, detail, kUsage);
  return kUsageError;
}

// A prepared file on standard input answers the prompts of a script that is not read from it,
// as it always has; anything else (a terminal, a pipe such as cron's, /dev/null, nothing) leaves
// them to the controlling terminal, or to nobody when there is none.
bool StdinHoldsAnswers() {
  struct stat status;
  return fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
  const char* simFile = nullptr;
  const char* commands = nullptr;
  const char* script = nullptr;
  bool optionsEnded = false;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
      if (std::strcmp(argument, "--") == 0) {
        optionsEnded = true;
        continue;
      }
      if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (std::strcmp(argument, "--version") == 0) {
        std::printf("hxo_cmdline %s\n", HXO_VERSION);
        return 0;
      }
      if (std::strcmp(argument, "--sim") == 0 || std::strcmp(argument, "-c") == 0) {
        if (i + 1 >= argc) return UsageError("missing value after ", argument);
        (argument[1] == 'c' ? commands : simFile) = argv[++i];
        continue;
      }
      if (std::strncmp(argument, "--sim=", 6) == 0) {
        simFile = argument + 6;
        continue;
      }
      return UsageError("unknown option ", argument);
    }
    if (script != nullptr) return UsageError("more than one script: ", argument);
    script = argument;
  }
  if (script != nullptr && commands != nullptr) {
    return UsageError("give either a script or -c, not both", "");
  }
  if (script != nullptr && std::strcmp(script, "-") == 0) script = nullptr;

  if (simFile != nullptr) setenv("ORBITANE_SIM", simFile, 1);

  const bool scriptOnStdin = script == nullptr && commands == nullptr;
  const bool stdinIsTerminal = isatty(STDIN_FILENO);
  const bool terminalSession = scriptOnStdin && stdinIsTerminal;

  const bool answersOnStdin = !scriptOnStdin && !stdinIsTerminal && StdinHoldsAnswers();
  HXO_SetPromptInput(answersOnStdin ? HXO_PROMPTS_STANDARD : HXO_PROMPTS_TERMINAL);
  if (!isatty(STDOUT_FILENO)) {
    HXO_SetPageLength(0);
  } else if (std::getenv("LINES") == nullptr) {
    PageByWindowHeight();
  }
  CatchInterrupts(terminalSession);

  int status;
  if (commands != nullptr) {
    status = HXO_RunCommands("-c", commands);
    if (status != 0 && status != HXO_RESULT_INTERRUPTED) status = 1;
  } else if (terminalSession) {
    status = RunTerminalSession();
  } else {
    status = HXO_RunScript(script);
  }
  if (status == HXO_RESULT_INTERRUPTED || (!terminalSession && WasInterrupted())) {
    status = kInterruptedStatus;
  }
  std::fflush(stdout);
  return status;
}
