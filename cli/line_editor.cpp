#include "cli/line_editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/history_file.h"
#include "hxo/hxo.h"

#ifdef HXO_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace {

std::string historyFile;
constexpr int kHistoryLines = 1000;

#ifdef HXO_HAVE_LIBEDIT

char** completions = nullptr;  // the engine's answer for the word being completed

char* NextCompletion(const char* /*text*/, int state) {
  static int index;
  if (state == 0) index = 0;
  if (completions == nullptr || completions[index] == nullptr) return nullptr;
  return strdup(completions[index++]);
}

// File names after INCLUDE and HISTORY SAVE; the engine's words everywhere else.
char** Complete(const char* text, int start, int end) {
  rl_attempted_completion_over = 1;
  char first[16] = "", second[16] = "";
  std::sscanf(rl_line_buffer, "%15s %15s", first, second);
  const bool fileName =
      start > 0 && (strcasecmp(first, "INCLUDE") == 0 ||
                    (strcasecmp(first, "HISTORY") == 0 && strcasecmp(second, "SAVE") == 0));
  if (fileName) return rl_completion_matches(text, rl_filename_completion_function);
  HXO_FreeList(completions);
  completions = HXO_Complete(rl_line_buffer, start, end);
  char** matches = rl_completion_matches(text, NextCompletion);
  HXO_FreeList(completions);
  completions = nullptr;
  return matches;
}

#endif

}  // namespace

#ifdef HXO_HAVE_LIBEDIT

void LineEditorStart(const char* historyPath, FILE* screen) {
  rl_outstream = screen;
  rl_readline_name = "hxo";
  rl_attempted_completion_function = Complete;
  // Signals stay with the program: Ctrl-C interrupts the read and the caller starts a fresh line.
  rl_catch_signals = 0;
  stifle_history(kHistoryLines);
  historyFile = historyPath != nullptr ? historyPath : "";
  if (HistoryFileReadable(historyFile)) read_history(historyFile.c_str());
}

char* LineEditorRead(const char* prompt) { return readline(prompt); }

void LineEditorRemember(const char* line) { add_history(line); }

void LineEditorStop() {
  if (PrepareHistoryFile(historyFile)) write_history(historyFile.c_str());
}

#else

// Without the editing library: lines as typed, and the history file keeps what was typed.
namespace {
std::string remembered;
}  // namespace

FILE* screenStream = stdout;

void LineEditorStart(const char* historyPath, FILE* screen) {
  historyFile = historyPath != nullptr ? historyPath : "";
  screenStream = screen;
  HistoryFileReadable(historyFile);  // only to say early when it cannot be kept
}

char* LineEditorRead(const char* prompt) {
  std::fputs(prompt, screenStream);
  std::fflush(screenStream);
  char* line = nullptr;
  size_t capacity = 0;
  ssize_t length = getline(&line, &capacity, stdin);
  if (length <= 0) {
    std::free(line);
    clearerr(stdin);
    return nullptr;
  }
  if (line[length - 1] == '\n') line[length - 1] = '\0';
  return line;
}

void LineEditorRemember(const char* line) {
  remembered += line;
  remembered += '\n';
}

void LineEditorStop() {
  if (remembered.empty() || !PrepareHistoryFile(historyFile)) return;
  if (FILE* file = std::fopen(historyFile.c_str(), "a")) {
    std::fputs(remembered.c_str(), file);
    std::fclose(file);
  }
}

#endif
