#include "cli/line_editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/history_file.h"
#include "hxo/hxo.h"

#ifdef HXO_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace {

std::string historyFile;
constexpr int kHistoryLines = 1000;

#ifdef HXO_HAVE_LIBEDIT

FILE* screenStream = stdout;

// File names after INCLUDE and HISTORY SAVE (folders with their slash); the engine's words
// everywhere else.
std::vector<std::string> CandidatesFor(const std::string& line, size_t start) {
  std::vector<std::string> words;
  char first[16] = "", second[16] = "";
  std::sscanf(line.c_str(), "%15s %15s", first, second);
  const bool fileName =
      start > 0 && (strcasecmp(first, "INCLUDE") == 0 ||
                    (strcasecmp(first, "HISTORY") == 0 && strcasecmp(second, "SAVE") == 0));
  if (fileName) {
    const std::string text = line.substr(start);
    for (int state = 0;; ++state) {
      char* name = rl_filename_completion_function(text.c_str(), state);
      if (name == nullptr) break;
      struct stat status;
      const bool folder = stat(name, &status) == 0 && S_ISDIR(status.st_mode);
      words.push_back(std::string(name) + (folder ? "/" : ""));
      std::free(name);
    }
    return words;
  }
  char** list = HXO_Complete(line.c_str(), static_cast<int>(start), static_cast<int>(line.size()));
  for (char** word = list; word != nullptr && *word != nullptr; ++word) words.push_back(*word);
  HXO_FreeList(list);
  return words;
}

// The bell, for a completion that is empty or ambiguous.
void Ring() {
  std::fputs("\a", screenStream);
  std::fflush(screenStream);
}

// The longest start that all words share, ignoring case (in the first word's letters).
std::string SharedStart(const std::vector<std::string>& words) {
  std::string shared = words.front();
  for (const std::string& word : words) {
    size_t n = 0;
    while (n < shared.size() && n < word.size() &&
           std::tolower(static_cast<unsigned char>(shared[n])) ==
               std::tolower(static_cast<unsigned char>(word[n]))) {
      ++n;
    }
    shared.resize(n);
  }
  return shared;
}

void ListCandidates(const std::vector<std::string>& words) {
  size_t width = 0;
  for (const std::string& word : words) width = std::max(width, word.size() + 2);
  const size_t perLine = std::max<size_t>(1, 80 / width);
  std::fputs("\n", screenStream);
  for (size_t i = 0; i < words.size(); ++i) {
    std::fprintf(screenStream, "%-*s", static_cast<int>(width), words[i].c_str());
    if ((i + 1) % perLine == 0 || i + 1 == words.size()) std::fputs("\n", screenStream);
  }
  std::fflush(screenStream);
  rl_forced_update_display();
}

// Tab: a single candidate replaces the word, followed by a blank unless more of the same word
// follows (an object name's separator, a folder's slash); several are completed to what they
// share, with the bell, and a second Tab lists them. Only an ambiguous or empty completion rings.
int CompleteWord(int /*count*/, int /*key*/) {
  static std::string listedFor;  // the line whose candidates a second Tab lists
  const std::string line(rl_line_buffer, static_cast<size_t>(rl_point));
  const size_t blank = line.find_last_of(" \t");
  const size_t start = blank == std::string::npos ? 0 : blank + 1;
  const std::vector<std::string> words = CandidatesFor(line, start);
  if (words.empty()) {
    Ring();
    return 0;
  }
  std::string replacement = words.size() == 1 ? words.front() : SharedStart(words);
  if (words.size() == 1 && replacement.back() != '.' && replacement.back() != '/') {
    replacement += ' ';
  }
  if (words.size() > 1 && replacement.size() <= line.size() - start) {
    if (listedFor == line) {
      ListCandidates(words);
    } else {
      Ring();
    }
    listedFor = line;
    return 0;
  }
  listedFor.clear();
  const size_t typed = line.size() - start;
  if (line.compare(start, typed, replacement, 0, typed) == 0) {
    rl_insert_text(replacement.c_str() + typed);
  } else {
    // Other letter case: the word is written again. Replacing the line keeps the cursor where
    // it was, which is the end of the line up to the word's typed length; the rest is inserted.
    const std::string after(rl_line_buffer + rl_point);
    rl_replace_line((line.substr(0, start) + replacement.substr(0, typed)).c_str(), 0);
    rl_insert_text((replacement.substr(typed) + after).c_str());
  }
  // The line is drawn again from the start of the row.
  std::fputs("\r", screenStream);
  rl_forced_update_display();
  if (words.size() > 1) {
    Ring();
    listedFor = line.substr(0, start) + replacement;
  }
  return 0;
}

#endif

}  // namespace

#ifdef HXO_HAVE_LIBEDIT

void LineEditorStart(const char* historyPath, FILE* screen) {
  rl_outstream = screen;
  screenStream = screen;
  rl_readline_name = "hxo";
  // Signals stay with the program: Ctrl-C interrupts the read and the caller starts a fresh line.
  rl_catch_signals = 0;
  // Tab is bound once the editor exists.
  rl_initialize();
  rl_add_defun("hxo-complete", CompleteWord, '\t');
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
FILE* screenStream = stdout;
}  // namespace

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
