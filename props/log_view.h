// Showing a remote log: it is read through the node in pieces of at most 4096 bytes, never
// whole, split into lines at "\n" and "\r" and printed through the pager. Tailing walks back
// from the end a piece at a time; following keeps reading at the end; back answers re-read the
// previous page from the log.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "orbitane/orbitaneapi.h"
#include "props/log_switches.h"
#include "runtime/listing_output.h"

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
  // Waits before the next look at a followed log; false when the follow must end.
  using Wait = std::function<bool(int seconds)>;

  // The log's lines are shown as the rows of listing.
  LogView(TreeNode& node, PagedListing& listing, const LogSwitches& switches, int followDelay,
          Wait wait);
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
  // Asks at the end of the log; with no input left to answer, the display ends.
  PagerAnswer AskAtEnd() { return listing.Ask("--EOF--", kPagerQuit); }

  TreeNode& node;
  PagedListing& listing;
  const bool follow;
  const bool interactive;
  const int backup;
  const int followDelay;
  const Wait wait;

  int64_t tailCount;
  int64_t readOffset = 0;  // offset in the log of the current piece's data
  bool positioning = false;
  bool done = false;

  char* reply = nullptr;           // the current piece as received, or null
  std::string_view data;           // its data, from the base on
  std::vector<LogLine> lines;      // its lines still to consider
  bool clippedBeforeNext = false;  // cut short where the following piece begins
};
