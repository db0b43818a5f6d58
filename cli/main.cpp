// hxo_cmdline: runs a script file, a command text, or standard input through libHxpHxo.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/saved_plan.h"
#include "cli/signals.h"
#include "cli/terminal_session.h"
#include "cli/undo_option.h"
#include "hxo/hxo.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kInterruptedStatus = 130;  // as a shell reports a program ended by Ctrl-C
constexpr int kOutputError = 74;         // as EX_IOERR of sysexits.h, beside 64 as EX_USAGE

const char kUsage[] =
    "usage: hxo_cmdline [--sim FILE] [--read-only | --dry-run[=json]] [--plan FILE]\n"
    "                   [--snapshot FILE] [--undo FILE] [--explain]\n"
    "                   [--output=text|json] [-c COMMANDS | SCRIPT | -]\n"
    "       hxo_cmdline [--sim FILE] [--read-only] [--undo FILE] [--explain]\n"
    "                   [--output=text|json] --apply FILE\n"
    "       hxo_cmdline --check[=json] SCRIPT...\n"
    "       hxo_cmdline --help | --version\n"
    "\n"
    "Runs a configuration script against the installation.\n"
    "\n"
    "  SCRIPT        run this script file\n"
    "  -             read the script from standard input (also when no script is given)\n"
    "  -c COMMANDS   run the command text; its listings print in place\n"
    "  --sim FILE    use this simulated installation file (sets ORBITANE_SIM)\n"
    "  --check[=json] SCRIPT...\n"
    "                check the scripts without running them or opening the\n"
    "                installation: diagnostics as FILE:LINE:COLUMN: error: TEXT\n"
    "                (or warning:), or one JSON document a script; exit status 1\n"
    "                when there is an error, else 0\n"
    "  --explain     after a failure's message, say why the installation refused\n"
    "                and the way out, and the nearest name after a typo, as the\n"
    "                terminal session does\n"
    "  --output=json write JSON Lines for a program: each listing one document\n"
    "                with named fields, confirmations and printed text too;\n"
    "                failures as documents on standard error; nothing paged\n"
    "                (see docs/output.md); --output=text is the default\n"
    "  --            end of the options: what follows is the script's name\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "At a terminal the session has line editing, history and Tab completion, and\n"
    "goes on after failures. --more--, PAUSE and STEPPING are answered at the\n"
    "terminal (--more-- on one key), never from a script read on standard input.\n"
    "Output that is not a terminal is not paged unless the script sets LINES.\n"
    "\n"
    "When a script stops on a failure that printed nothing (QUIET keeps SPAWN on a\n"
    "DSM silent), one line names the script, the line, the command and the code.\n"
    "\n"
    "Exit status: the script's result code (0 success, 6 after QUIT, EXIT, BYE or\n"
    "ABORT ALL); with -c, 0 or 1; 130 when Ctrl-C ended it; 64 for a bad command\n"
    "line; 74 when standard output could not be written.\n";

int UsageError(const char* problem, const char* detail) {
  std::fprintf(stderr, "hxo_cmdline: %s%s\nTry 'hxo_cmdline --help'.\n", problem, detail);
  return kUsageError;
}

// After a script that stopped on a failure whose command wrote nothing (QUIET keeps a failed
// SPAWN on a DSM silent): one line saying where it stopped, so that a cron job's log is not
// empty.
void ReportUnreportedFailure(int status, bool json) {
  char* script = nullptr;
  char* command = nullptr;
  char* what = nullptr;
  int line = 0;
  const int code = HXO_UnreportedFailure(&script, &line, &command, &what);
  if (code != 0 && code == status && json) {
    const std::string message =
        "the script stopped with code " + std::to_string(code) +
        (what != nullptr ? std::string(" (") + what + ")" : std::string(" at: ") + command);
    const nlohmann::ordered_json document{{"type", "error"},
                                          {"script", script},
                                          {"line", line},
                                          {"code", code},
                                          {"message", message}};
    std::fprintf(stderr, "%s\n",
                 document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  } else if (code != 0 && code == status) {
    if (what != nullptr) {
      std::fprintf(stderr, "hxo_cmdline: %s:%d: the script stopped with code %d (%s)\n", script,
                   line, code, what);
    } else {
      std::fprintf(stderr, "hxo_cmdline: %s:%d: the script stopped with code %d at: %s\n", script,
                   line, code, command);
    }
  }
  std::free(script);
  std::free(command);
  std::free(what);
}

// EXEC lines of a script can run this same program as "$HXO_CMDLINE", wherever it was started
// from (the tour's dry run does).
void ExportOwnPath(const char* argv0) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length > 0) {
    path[length] = '\0';
    setenv("HXO_CMDLINE", path, 1);
  } else if (argv0 != nullptr) {
    setenv("HXO_CMDLINE", argv0, 1);
  }
}

// The first line of an interactive session: which installation it changes, and where help is.
void Greet() {
  FILE* screen = isatty(STDOUT_FILENO) || !isatty(STDERR_FILENO) ? stdout : stderr;
  const char* file = std::getenv("ORBITANE_SIM");
  const char* readOnly = std::getenv("ORBITANE_SIM_READONLY");
  const bool written = readOnly == nullptr || *readOnly == '\0' || std::strcmp(readOnly, "0") == 0;
  if (file == nullptr || *file == '\0') {
    std::fputs("Using the built-in installation: changes are lost at exit.", screen);
  } else if (written) {
    std::fprintf(screen, "Using the installation in %s: changes are written to it.", file);
  } else {
    std::fprintf(screen, "Using the installation in %s, read-only: changes are lost at exit.",
                 file);
  }
  std::fputs(" HELP lists the commands.\n", screen);
  std::fflush(screen);
}

// A prepared file on standard input answers the prompts of a script that is not read from it,
// as it always has; anything else (a terminal, a pipe such as cron's, /dev/null, nothing) leaves
// them to the controlling terminal, or to nobody when there is none.
bool StdinHoldsAnswers() {
  struct stat status;
  return fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
}

// ---- Options about the installation itself: --read-only, --dry-run, --snapshot ----

constexpr int kUnavailable = 69;
constexpr int kCannotCreate = 73;

const char kInstallationUsage[] =
    "\n"
    "  --read-only        never write the installation file: changes live in memory\n"
    "                     (sets ORBITANE_SIM_READONLY=1)\n"
    "  --dry-run[=json]   run read-only, then print the plan of what the script would\n"
    "                     change and send, as text or as one JSON document; with\n"
    "                     =json and no --plan, standard output holds the plan alone\n"
    "                     and what the script prints goes to standard error\n"
    "  --plan FILE        a dry run (--dry-run implied) whose plan goes to FILE,\n"
    "                     leaving standard output to the script; JSON with\n"
    "                     --dry-run=json or a FILE named *.json, else text\n"
    "  --snapshot FILE    after the script, write the agents it declared, as the\n"
    "                     installation reports them, to FILE (an installation file);\n"
    "                     a FIFO, a device or /dev/stdout is written into\n"
    "\n"
    "A file named by --sim or ORBITANE_SIM is opened before the script runs: exit\n"
    "status 66 when it is missing or unreadable, 65 when it is invalid; 69 for\n"
    "--dry-run without the simulated installation, 73 when no snapshot was written.\n";

struct InstallationOptions {
  bool readOnly = false;
  const char* planFormat = nullptr;  // "text" or "json" for a dry run
  const char* planFile = nullptr;    // where the plan goes; standard output when null
  int planOutput = -1;               // standard output kept aside while the script writes to stderr
  const char* snapshot = nullptr;    // the file a snapshot goes to
  const char* script = nullptr;      // the script file run, which a JSON plan file records
};

// Takes argv[i] (and its value) when it is one of these options: 1 taken, 0 not one of them,
// -1 a bad or missing value.
int TakeInstallationOption(int argc, char** argv, int& i, InstallationOptions& options) {
  const char* argument = argv[i];
  if (std::strcmp(argument, "--snapshot") == 0) {
    if (i + 1 >= argc) return -1;
    options.snapshot = argv[++i];
    return 1;
  }
  if (std::strncmp(argument, "--snapshot=", 11) == 0) {
    options.snapshot = argument + 11;
    return 1;
  }
  if (std::strcmp(argument, "--plan") == 0 || std::strncmp(argument, "--plan=", 7) == 0) {
    if (argument[6] == '=') {
      options.planFile = argument + 7;
    } else if (i + 1 < argc) {
      options.planFile = argv[++i];
    } else {
      return -1;
    }
    return options.planFile[0] == '\0' ? -1 : 1;
  }
  if (std::strcmp(argument, "--read-only") == 0) {
    options.readOnly = true;
    return 1;
  }
  if (std::strcmp(argument, "--dry-run") == 0 || std::strcmp(argument, "--dry-run=text") == 0) {
    options.planFormat = "text";
    return 1;
  }
  if (std::strcmp(argument, "--dry-run=json") == 0) {
    options.planFormat = "json";
    return 1;
  }
  return std::strncmp(argument, "--dry-run=", 10) == 0 ? -1 : 0;
}

// Whether name ends in ".json".
bool NamesJsonFile(const char* name) {
  const size_t length = std::strlen(name);
  return length >= 5 && std::strcmp(name + length - 5, ".json") == 0;
}

// --plan alone asks for a dry run, in JSON for a .json file.
void SettlePlanFormat(InstallationOptions& options) {
  if (options.planFile == nullptr) return;
  if (NamesJsonFile(options.planFile)) {
    options.planFormat = "json";
  } else if (options.planFormat == nullptr) {
    options.planFormat = "text";
  }
}

// A JSON plan on standard output stays one JSON document: what the script itself prints goes to
// standard error meanwhile. Done once the terminal checks have looked at standard output.
void KeepStandardOutputForThePlan(InstallationOptions& options) {
  if (options.planFile != nullptr || options.planFormat == nullptr ||
      std::strcmp(options.planFormat, "json") != 0) {
    return;
  }
  std::fflush(stdout);
  options.planOutput = dup(STDOUT_FILENO);
  if (options.planOutput >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
}

// Before the script: read-only as asked, and the installation file opened. 0 to go on, else the
// exit status.
int PrepareInstallation(const InstallationOptions& options) {
  if (options.planFormat != nullptr && HXO_CanPlan() == 0) {
    std::fprintf(stderr,
                 "hxo_cmdline: --dry-run needs the simulated installation; take a snapshot "
                 "first (--snapshot FILE SCRIPT) and rehearse on it with --sim FILE --dry-run\n");
    return kUnavailable;
  }
  if (options.readOnly || options.planFormat != nullptr) setenv("ORBITANE_SIM_READONLY", "1", 1);
  // A rehearsal's plan starts from the installation as loaded: kept from the load on (the
  // installation otherwise reads its file again for the plan, and cannot when it changed meanwhile).
  if (options.planFormat != nullptr) HXO_PrepareUndo();
  const char* file = std::getenv("ORBITANE_SIM");
  if (file == nullptr || *file == '\0') return 0;
  char* message = nullptr;
  const int status = HXO_OpenInstallation(&message);
  if (status != 0) {
    std::fprintf(stderr, "hxo_cmdline: %s\n", message != nullptr ? message : file);
  }
  std::free(message);
  return status;
}

// After the script: the snapshot written, when asked for. 0, or the exit status of a failure.
int WriteSnapshot(const InstallationOptions& options) {
  if (options.snapshot == nullptr) return 0;
  char* message = nullptr;
  if (HXO_WriteSnapshot(options.snapshot, &message) == 0) return 0;
  std::fprintf(stderr, "hxo_cmdline: no snapshot: %s\n", message != nullptr ? message : "");
  std::free(message);
  return kCannotCreate;
}

// Writes all of text to fd; false with errno set when it could not.
bool WriteAll(int fd, const char* text) {
  for (size_t left = std::strlen(text); left > 0;) {
    const ssize_t written = write(fd, text, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

// After the script of a dry run: the plan on standard output, or in the file --plan names. 0, or
// the exit status of a plan that could not be written.
int PrintPlan(const InstallationOptions& options) {
  if (options.planFormat == nullptr) return 0;
  std::fflush(stdout);
  if (options.planOutput >= 0) {  // standard output comes back for the plan alone
    dup2(options.planOutput, STDOUT_FILENO);
    close(options.planOutput);
  }
  // A rehearsal that cannot show everything says so, beside the plan.
  if (char* limits = HXO_RehearsalLimits(); limits != nullptr) {
    std::fprintf(stderr, "hxo_cmdline: %s\n", limits);
    std::free(limits);
  }
  char* plan = nullptr;
  if (HXO_GetPlan(options.planFormat, &plan) != 0) {
    std::fprintf(stderr, "hxo_cmdline: the installation made no plan\n");
    return 0;
  }
  int status = 0;
  if (options.planFile == nullptr) {
    std::fputs(plan, stdout);
  } else {
    const bool json = std::strcmp(options.planFormat, "json") == 0;
    const std::string text = json ? WithPlanRecord(plan, options.script) : std::string(plan);
    const int fd = open(options.planFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0 && WriteAll(fd, text.c_str());
    int error = errno;
    if (fd >= 0 && close(fd) != 0 && written) {
      written = false;
      error = errno;
    }
    if (!written) {
      std::fprintf(stderr, "hxo_cmdline: cannot write the plan to %s: %s\n", options.planFile,
                   std::strerror(error));
      status = kCannotCreate;
    }
  }
  std::free(plan);
  return status;
}

// ---- end of the options about the installation ----

// ---- --apply: a saved plan's script run for real ----

const char kApplyUsage[] =
    "\n"
    "  --apply FILE       run the script of the saved plan FILE (written with\n"
    "                     --plan FILE.json) for real, only when the script files and\n"
    "                     every node it read are still as the plan recorded them;\n"
    "                     afterwards, compare what changed with the plan; with\n"
    "                     --read-only, check and run without writing anything\n"
    "\n"
    "--apply: exit status 75 when nothing was run because the plan no longer holds\n"
    "(each difference named) or was applied already, 70 when the run changed\n"
    "something else than the plan says.\n";

// The saved plan's checks before the script, when one is applied: 0 to go on, else the status.
int PrepareApply(const char* planFile, bool readOnly, SavedPlan& saved, const char*& script) {
  if (HXO_CanApplyPlans() == 0) {
    std::fprintf(stderr,
                 "hxo_cmdline: --apply needs the simulated installation; review the plan and run "
                 "its script itself (hxo_cmdline SCRIPT)\n");
    return kUnavailable;
  }
  saved.file = planFile;
  saved.readOnly = readOnly;
  if (int status = ReadSavedPlan(saved); status != 0) return status;
  script = saved.script.c_str();
  return 0;
}

// ---- end of --apply ----

// --check: the scripts checked without running them; 0 when none has an error, else 1.
int CheckScripts(const std::vector<const char*>& scripts, const char* format) {
  int errors = 0;
  for (const char* script : scripts) {
    char* report = nullptr;
    const int found = HXO_CheckScript(script, format, &report);
    if (report != nullptr) std::fputs(report, stdout);
    std::free(report);
    errors += found < 0 ? 1 : found;
  }
  return errors == 0 ? 0 : 1;
}

int Run(int argc, char** argv) {
  const char* simFile = nullptr;
  const char* commands = nullptr;
  const char* script = nullptr;
  bool optionsEnded = false;
  InstallationOptions installation;
  UndoOption undo;
  const char* checkFormat = nullptr;  // "text" or "json" with --check
  const char* outputFormat = "text";
  std::vector<const char*> scripts;
  const char* applyFile = nullptr;  // --apply: the saved plan
  SavedPlan saved;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
      if (std::strcmp(argument, "--") == 0) {
        optionsEnded = true;
        continue;
      }
      if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
        std::fputs(kUsage, stdout);
        std::fputs(kInstallationUsage, stdout);
        std::fputs(kUndoUsage, stdout);
        std::fputs(kApplyUsage, stdout);
        return 0;
      }
      if (std::strcmp(argument, "--version") == 0) {
        std::printf("hxo_cmdline %s\n", HXO_VERSION);
        return 0;
      }
      if (std::strcmp(argument, "--explain") == 0) {
        HXO_SetExplain(1);
        continue;
      }
      if (std::strcmp(argument, "--output") == 0 || std::strncmp(argument, "--output=", 9) == 0) {
        if (argument[8] == '\0' && i + 1 >= argc)
          return UsageError("missing value after ", argument);
        outputFormat = argument[8] == '=' ? argument + 9 : argv[++i];
        if (HXO_SetOutputFormat(outputFormat) != 0) {
          return UsageError("unknown output format (text or json): ", outputFormat);
        }
        continue;
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
      if (std::strcmp(argument, "--check") == 0 || std::strcmp(argument, "--check=text") == 0) {
        checkFormat = "text";
        continue;
      }
      if (std::strcmp(argument, "--check=json") == 0) {
        checkFormat = "json";
        continue;
      }
      if (int taken = TakeUndoOption(argc, argv, i, undo); taken != 0) {
        if (taken < 0) return UsageError("missing value after ", argument);
        continue;
      }
      if (int taken = TakeApplyOption(argc, argv, i, applyFile); taken != 0) {
        if (taken < 0) return UsageError("missing value after ", argument);
        continue;
      }
      if (int taken = TakeInstallationOption(argc, argv, i, installation); taken != 0) {
        if (taken < 0) return UsageError("missing or unknown value in ", argument);
        continue;
      }
      return UsageError("unknown option ", argument);
    }
    scripts.push_back(argument);
  }
  if (checkFormat != nullptr) {
    if (scripts.empty()) return UsageError("--check needs the scripts to check", "");
    return CheckScripts(scripts, checkFormat);
  }
  if (scripts.size() > 1) return UsageError("more than one script: ", scripts[1]);
  if (!scripts.empty()) script = scripts[0];
  if (script != nullptr && commands != nullptr) {
    return UsageError("give either a script or -c, not both", "");
  }
  if (script != nullptr && std::strcmp(script, "-") == 0) script = nullptr;
  if (applyFile != nullptr && (script != nullptr || commands != nullptr ||
                               installation.planFormat != nullptr || installation.planFile)) {
    return UsageError("--apply runs the plan's own script: give no script, -c, --dry-run or --plan",
                      "");
  }

  if (simFile != nullptr) setenv("ORBITANE_SIM", simFile, 1);
  SettlePlanFormat(installation);
  // A JSON plan records the scripts it was made from (--apply checks them).
  if (installation.planFormat != nullptr && std::strcmp(installation.planFormat, "json") == 0) {
    HXO_RecordScripts(1);
  }
  const bool jsonOutput = std::strcmp(outputFormat, "json") == 0;
  // The plan printed after the script would end the JSON Lines with another document kind.
  if (jsonOutput && installation.planFormat != nullptr && installation.planFile == nullptr) {
    return UsageError("--output=json with a dry run needs --plan FILE", "");
  }
  if (applyFile != nullptr) {
    if (int status = PrepareApply(applyFile, installation.readOnly, saved, script); status != 0) {
      return status;
    }
  }
  if (int status = PrepareUndo(undo, installation.planFormat != nullptr, script); status != 0) {
    return status;
  }
  if (int status = PrepareInstallation(installation); status != 0) return status;
  if (applyFile != nullptr) {
    if (int status = CheckSavedPlan(saved); status != 0) return status;
  }
  installation.script = script;

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
  KeepStandardOutputForThePlan(installation);

  ExportOwnPath(argv[0]);
  int status;
  if (commands != nullptr) {
    status = HXO_RunCommands("-c", commands);
    ReportUnreportedFailure(status, jsonOutput);
    if (status != 0 && status != HXO_RESULT_INTERRUPTED) status = 1;
  } else if (terminalSession) {
    if (!jsonOutput) Greet();  // a person's line, not one of the documents
    status = RunTerminalSession();
  } else {
    status = HXO_RunScript(script);
    ReportUnreportedFailure(status, jsonOutput);
  }
  if (status == HXO_RESULT_INTERRUPTED || (!terminalSession && WasInterrupted())) {
    status = kInterruptedStatus;
  }
  if (applyFile != nullptr) {
    if (int failed = CompareWithSavedPlan(saved); failed != 0) status = failed;
  }
  if (int failed = PrintPlan(installation); failed != 0) status = failed;
  if (int failed = WriteSnapshot(installation); failed != 0) status = failed;
  if (int failed = WriteUndo(undo, script, commands); failed != 0) status = failed;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const int status = Run(argc, argv);
  // A write that failed during the run (the library flushes as it goes) left its reason in
  // errno, unless a later call replaced it with one that no write gives.
  const int runError = errno;
  const bool runReasonKnown = runError == ENOSPC || runError == EDQUOT || runError == EFBIG ||
                              runError == EPIPE || runError == EIO;
  // Output that could not be written (a full disk) fails the run, whatever the script did.
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed || std::ferror(stdout)) {
    const int error = !flushed && errno != 0 ? errno : runReasonKnown ? runError : EIO;
    std::fprintf(stderr, "hxo_cmdline: cannot write standard output: %s\n", std::strerror(error));
    return kOutputError;
  }
  return status;
}
