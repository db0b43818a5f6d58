// hxo_cmdline: runs a script file, a command text, or standard input through libHxpHxo.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hxo/hxo.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kOutputError = 74;  // as EX_IOERR of sysexits.h, beside 64 as EX_USAGE

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

int usageError(const char* problem, const char* detail) {
  std::fprintf(stderr, "hxo_cmdline: %s%s\n%s", problem, detail, kUsage);
  return kUsageError;
}

int run(int argc, char** argv) {
  const char* simFile = nullptr;
  const char* commands = nullptr;
  const char* script = nullptr;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argument, "--version") == 0) {
      std::printf("hxo_cmdline %s\n", HXO_VERSION);
      return 0;
    }
    if (std::strcmp(argument, "--sim") == 0 || std::strcmp(argument, "-c") == 0) {
      if (i + 1 >= argc) return usageError("missing value after ", argument);
      (argument[1] == 'c' ? commands : simFile) = argv[++i];
      continue;
    }
    if (std::strncmp(argument, "--sim=", 6) == 0) {
      simFile = argument + 6;
      continue;
    }
    if (argument[0] == '-' && argument[1] != '\0') return usageError("unknown option ", argument);
    if (script != nullptr) return usageError("more than one script: ", argument);
    script = argument;
  }
  if (script != nullptr && commands != nullptr) {
    return usageError("give either a script or -c, not both", "");
  }

  if (simFile != nullptr) setenv("ORBITANE_SIM", simFile, 1);

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
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const int status = run(argc, argv);
  // Output that could not be written (a full disk) fails the run, whatever the script did.
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed || std::ferror(stdout)) {
    const int error = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "hxo_cmdline: cannot write standard output: %s\n", std::strerror(error));
    return kOutputError;
  }
  return status;
}
