// hxo_cmdline: runs a script file, a command text, or standard input through libHxpHxo.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hxo/hxo.h"

namespace {

constexpr int kUsageError = 64;

const char kUsage[] =
    "usage: hxo_cmdline [--sim FILE] [-c COMMANDS] [SCRIPT]\n"
    "\n"
    "Runs a configuration script against the installation.\n"
    "\n"
    "  SCRIPT        run this script file\n"
    "  -c COMMANDS   run the command text and print its captured listings\n"
    "                (neither: read commands from standard input)\n"
    "  --sim FILE    use this simulated installation file (sets ORBITANE_SIM)\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "\n"
    "Exit status: the script's result code (0 success, 6 after QUIT, EXIT, BYE or\n"
    "ABORT ALL); with -c, 0 or 1; 64 for a bad command line.\n";

int UsageError(const char* problem, const char* detail) {
  std::fprintf(stderr, "hxo_cmdline: %s%s\n%s", problem, detail, kUsage);
  return kUsageError;
}

// ---- Options about the installation itself: --read-only, --dry-run, --snapshot ----

constexpr int kUnavailable = 69;
constexpr int kCannotCreate = 73;

const char kInstallationUsage[] =
    "\n"
    "  --read-only        never write the installation file: changes live in memory\n"
    "                     (sets ORBITANE_SIM_READONLY=1)\n"
    "  --dry-run[=json]   run read-only, then print the plan of what the script would\n"
    "                     change and send, as text or as one JSON document\n"
    "  --snapshot FILE    after the script, write the agents it declared, as the\n"
    "                     installation reports them, to FILE (an installation file)\n"
    "\n"
    "A file named by --sim or ORBITANE_SIM is opened before the script runs: exit\n"
    "status 66 when it is missing or unreadable, 65 when it is invalid; 69 for\n"
    "--dry-run without the simulated installation, 73 when no snapshot was written.\n";

struct InstallationOptions {
  bool readOnly = false;
  const char* planFormat = nullptr;  // "text" or "json" for a dry run
  const char* snapshot = nullptr;    // the file a snapshot goes to
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

// After the script of a dry run: the plan on standard output.
void PrintPlan(const InstallationOptions& options) {
  if (options.planFormat == nullptr) return;
  char* plan = nullptr;
  if (HXO_GetPlan(options.planFormat, &plan) != 0) {
    std::fprintf(stderr, "hxo_cmdline: the installation made no plan\n");
    return;
  }
  std::fputs(plan, stdout);
  std::free(plan);
}

// ---- end of the options about the installation ----

}  // namespace

int main(int argc, char** argv) {
  const char* simFile = nullptr;
  const char* commands = nullptr;
  const char* script = nullptr;
  InstallationOptions installation;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
      std::fputs(kUsage, stdout);
      std::fputs(kInstallationUsage, stdout);
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
    if (int taken = TakeInstallationOption(argc, argv, i, installation); taken != 0) {
      if (taken < 0) return UsageError("missing or unknown value in ", argument);
      continue;
    }
    if (argument[0] == '-' && argument[1] != '\0') return UsageError("unknown option ", argument);
    if (script != nullptr) return UsageError("more than one script: ", argument);
    script = argument;
  }
  if (script != nullptr && commands != nullptr) {
    return UsageError("give either a script or -c, not both", "");
  }

  if (simFile != nullptr) setenv("ORBITANE_SIM", simFile, 1);
  if (int status = PrepareInstallation(installation); status != 0) return status;

  int status;
  if (commands != nullptr) {
    char* output = nullptr;
    status = HXO_ExecuteCommandsGetOutput(commands, &output);
    if (output != nullptr) {
      std::fputs(output, stdout);
      std::free(output);
    }
  } else {
    status = HXO_RunScript(script);
  }
  PrintPlan(installation);
  if (int failed = WriteSnapshot(installation); failed != 0) status = failed;
  std::fflush(stdout);
  return status;
}
