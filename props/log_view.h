// Showing a remote log: it is read through the node in pieces of at most 4096 bytes, never
// whole, split into lines at "\n" and "\r" and printed through the pager. Tailing walks back
// from the end a piece at a time; following keeps reading at the end; back answers re-read the
// previous page from the log.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "orbitane/orbitaneapi.h"
#include "props/log_switches.h"
#include "runtime/pager.h"

// Where a log run prints, asks and waits.
class LogConsole {
 public:
  virtual ~LogConsole() = default;
  // Prints one line as number pageLine of the page; the pager's answer.
  virtual PagerAnswer PrintLine(int pageLine, std::string_view line) = 0;
  // Shows prompt and reads an answer.
  virtual PagerAnswer Prompt(const char* prompt) = 0;
  // Waits before the next look at a followed log; false when the follow must end.
  virtual bool Wait(int seconds) = 0;
};

// The lines of a piece: non-empty runs between "\n" and "\r", as offsets from the piece's base.
struct LogLine {
  size_t offset;
  size_t length;
};
std::vector<LogLine> SplitLogLines(std::string_view data);

constexpr int kLogPieceSize = 4096;
// A piece at least this long is full: more of the log may follow it.
constexpr size_t kFullPieceLength = kLogPieceSize - 12;

class LogView {
 public:
  LogView(TreeNode& node, LogConsole& console, const LogSwitches& switches, int linesPerPage,
          int followDelay);
  ~LogView();
  LogView(const LogView&) = delete;
  LogView& operator=(const LogView&) = delete;

  // Shows the log. False only when its first piece cannot be read.
  bool Show();

 private:
  // The result of printing one piece's lines.
  enum class PrintOutcome { kAllPrinted, kQuit, kBackToEarlierPiece };

  bool FetchTail();
  bool FetchPiece();
  void TakePiece(char* reply, size_t dataStart, bool skipCutFirstLine, bool clipped);
  void ReleasePiece();
  PrintOutcome PrintLines(size_t first);
  // At the end of the data; false when the run is over.
  bool AtEndOfData();
  // A back answer at the end of the log shows its last lines again.
  void BackFromEnd();
  int BackStep() const { return PagerBackStep(linesPerPage); }

  TreeNode& node;
  LogConsole& console;
  const bool follow;
  const bool interactive;
  const int backup;
  const int linesPerPage;
  const int followDelay;

  int64_t tailCount;
  int64_t readOffset = 0;  // offset in the log of the current piece's data
  int pageLine = 1;
  bool positioning = false;
  bool done = false;

  char* reply = nullptr;           // the current piece as received, or null
  std::string_view data;           // its data, from the base on
  std::vector<LogLine> lines;      // its lines still to consider
  bool clippedBeforeNext = false;  // cut short where the following piece begins
};
