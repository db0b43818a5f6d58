#include "cli/terminal_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/history_filter.h"
#include "cli/line_editor.h"
#include "cli/signals.h"
#include "hxo/hxo.h"

namespace {

FILE* screen = stdout;  // where the person sees the prompt: stdout unless it is redirected

// $XDG_STATE_HOME/hxo/history, else ~/.local/state/hxo/history; its folders are made (0700).
std::string HistoryPath() {
  std::string state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
    state = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    state = std::string(home) + "/.local/state";
  } else {
    return "";
  }
  std::string folder = state + "/hxo";
  for (size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  mkdir(folder.c_str(), 0700);
  return folder + "/history";
}

bool IsBlank(const char* line) { return line[std::strspn(line, " \t")] == '\0'; }

// QUIT, EXIT and BYE end the session, as Ctrl-D does.
bool LeavesSession(const char* line) {
  char first[8] = "";
  if (std::sscanf(line, "%7s", first) != 1) return false;
  return strcasecmp(first, "QUIT") == 0 || strcasecmp(first, "EXIT") == 0 ||
         strcasecmp(first, "BYE") == 0;
}

// Names the objects with uncommitted changes and how to leave anyway (Ctrl-D, or the command
// typed); false when there are none.
bool WarnAboutPendingChanges(const char* leaveAgain) {
  char** names = HXO_PendingObjects();
  int count = 0;
  std::string list;
  for (char** name = names; name != nullptr && *name != nullptr; ++name, ++count) {
    if (!list.empty()) list += ", ";
    list += *name;
  }
  HXO_FreeList(names);
  if (count == 0) return false;
  std::fflush(stdout);
  std::fprintf(screen, "%s%d %s uncommitted changes: %s. %s again to leave without committing.\n",
               leaveAgain == nullptr ? "\n" : "", count, count == 1 ? "object has" : "objects have",
               list.c_str(), leaveAgain == nullptr ? "Press Ctrl-D" : leaveAgain);
  std::fflush(screen);
  return true;
}

bool warnedAboutPending = false;

char* ReadSessionLine(void* /*context*/, const char* prompt) {
  for (;;) {
    TakeInterrupt();
    char* line = LineEditorRead(prompt);
    const bool interrupted = TakeInterrupt();
    if (line == nullptr && interrupted) {
      // Ctrl-C at the prompt: the line is dropped, and the empty line given instead lets the
      // engine forget the interrupt before it asks for the next one.
      std::fputs("\n", screen);
      return strdup("");
    }
    // A Ctrl-C that came after Enter stays with the engine: it ends the command just read.
    if (line != nullptr) {
      if (!IsBlank(line) && !HoldsPassword(line)) LineEditorRemember(line);
      if (LeavesSession(line) && !warnedAboutPending) {
        char word[8] = "";
        std::sscanf(line, "%7s", word);
        const std::string again = std::string("Type ") + word;
        if (WarnAboutPendingChanges(again.c_str())) {
          warnedAboutPending = true;
          std::free(line);
          continue;
        }
      }
      return line;
    }
    if (!warnedAboutPending && WarnAboutPendingChanges(nullptr)) {
      warnedAboutPending = true;
      continue;
    }
    std::fputs("\n", screen);
    return nullptr;
  }
}

}  // namespace

int RunTerminalSession() {
  screen = isatty(STDOUT_FILENO) || !isatty(STDERR_FILENO) ? stdout : stderr;
  LineEditorStart(HistoryPath().c_str(), screen);
  HXO_SetLineReader(ReadSessionLine, nullptr);
  const int code = HXO_RunScript(nullptr);
  HXO_SetLineReader(nullptr, nullptr);
  LineEditorStop();
  return code;
}
