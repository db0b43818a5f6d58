// --undo FILE: the option, its checks, and the heading of the script it writes.
#include "cli/undo_option.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "hxo/hxo.h"

namespace {

constexpr int kUsageError = 64;
constexpr int kUnavailable = 69;
constexpr int kCannotCreate = 73;

// The script's first lines: when, from what and by which script it was made.
std::string Heading(const char* script, const char* commands) {
  char when[32] = "";
  const std::time_t now = std::time(nullptr);
  struct tm utc {};
  if (gmtime_r(&now, &utc) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &utc);
  std::string ran = commands != nullptr ? "the commands given with -c"
                    : script != nullptr ? std::string(script)
                                        : "the script read from standard input";
  const char* file = std::getenv("ORBITANE_SIM");
  std::string installation = "the built-in installation";
  if (file != nullptr && *file != '\0') {
    char resolved[PATH_MAX];
    installation = "the installation in ";
    installation += realpath(file, resolved) != nullptr ? resolved : file;
  }
  return "# Undo script made by hxo_cmdline --undo at " + std::string(when) + " UTC\n" +
         "# from the run of " + ran + " on " + installation + ".\n" +
         "# Running it restores the entries, properties and rule values that run changed;\n" +
         "# hxo_cmdline --dry-run shows its plan first.\n#\n";
}

// Whether the two paths name one existing file.
bool SameFile(const char* a, const char* b) {
  struct stat first {
  }, second{};
  return a != nullptr && b != nullptr && stat(a, &first) == 0 && stat(b, &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

const char kUndoUsage[] =
    "\n"
    "  --undo FILE        after the run, write to FILE a script that restores the\n"
    "                     entries, properties and rule values the run changed; it\n"
    "                     says in comments what it cannot restore (passwords,\n"
    "                     commands sent, a removed DSM or autoconfig object)\n"
    "\n"
    "--undo is refused with --dry-run or --plan (64), and without the simulated\n"
    "installation (69); exit status 73 when the undo script was not written.\n";

int TakeUndoOption(int argc, char** argv, int& i, UndoOption& undo) {
  const char* argument = argv[i];
  if (std::strncmp(argument, "--undo=", 7) == 0) {
    undo.file = argument + 7;
  } else if (std::strcmp(argument, "--undo") != 0) {
    return 0;
  } else if (i + 1 < argc) {
    undo.file = argv[++i];
  } else {
    return -1;
  }
  return undo.file[0] == '\0' ? -1 : 1;
}

int PrepareUndo(const UndoOption& undo, bool dryRun, const char* script) {
  if (undo.file == nullptr) return 0;
  // Replacing either with the undo script would lose it.
  const char* installation = std::getenv("ORBITANE_SIM");
  if (SameFile(undo.file, installation) || SameFile(undo.file, script)) {
    std::fprintf(stderr, "hxo_cmdline: --undo %s names the %s\nTry 'hxo_cmdline --help'.\n",
                 undo.file, SameFile(undo.file, script) ? "script" : "installation file");
    return kUsageError;
  }
  if (dryRun) {
    std::fprintf(stderr,
                 "hxo_cmdline: --undo needs a real run: a dry run changes nothing\n"
                 "Try 'hxo_cmdline --help'.\n");
    return kUsageError;
  }
  if (HXO_PrepareUndo() == 0) {
    std::fprintf(stderr,
                 "hxo_cmdline: --undo needs the simulated installation; take a snapshot before "
                 "the run (--snapshot FILE SCRIPT) to keep what the installation holds\n");
    return kUnavailable;
  }
  return 0;
}

int WriteUndo(const UndoOption& undo, const char* script, const char* commands) {
  if (undo.file == nullptr) return 0;
  char* lost = nullptr;
  char* message = nullptr;
  const int failed = HXO_WriteUndo(undo.file, Heading(script, commands).c_str(), &lost, &message);
  if (failed != 0) {
    std::fprintf(stderr, "hxo_cmdline: no undo script: %s\n", message != nullptr ? message : "");
  }
  // One warning a line: what the undo script cannot bring back.
  for (char* line = lost; line != nullptr && *line != '\0';) {
    char* end = std::strchr(line, '\n');
    const int length =
        end != nullptr ? static_cast<int>(end - line) : static_cast<int>(std::strlen(line));
    std::fprintf(stderr, "hxo_cmdline: the undo script %.*s\n", length, line);
    line = end != nullptr ? end + 1 : line + length;
  }
  std::free(lost);
  std::free(message);
  return failed != 0 ? kCannotCreate : 0;
}
