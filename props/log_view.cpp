#include "props/log_view.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "runtime/c_number.h"

std::vector<LogLine> SplitLogLines(std::string_view data) {
  constexpr std::string_view kLineEnds = "\n\r";
  std::vector<LogLine> result;
  size_t position = 0;
  while (true) {
    const size_t start = data.find_first_not_of(kLineEnds, position);
    if (start == std::string_view::npos) break;
    size_t end = data.find_first_of(kLineEnds, start);
    if (end == std::string_view::npos) end = data.size();
    result.push_back({start, end - start});
    position = end;
  }
  return result;
}

LogView::LogView(TreeNode& node, PagedListing& listing, const LogSwitches& switches,
                 int followDelay, Wait wait)
    : node(node),
      listing(listing),
      follow(switches.follow),
      interactive(switches.interactive),
      backup(switches.backup),
      followDelay(followDelay),
      wait(std::move(wait)),
      tailCount(switches.tailCount) {}

LogView::~LogView() { ReleasePiece(); }

void LogView::ReleasePiece() {
  if (reply != nullptr) SharedHeapFree(reply);
  reply = nullptr;
  data = {};
  lines.clear();
  clippedBeforeNext = false;
}

void LogView::TakePiece(char* received, size_t dataStart, bool skipCutFirstLine, bool clipped) {
  clippedBeforeNext = clipped;
  reply = received;
  data = std::string_view(reply).substr(dataStart);
  lines = SplitLogLines(data);
  // A piece that does not begin the log begins inside a line; that part is not shown.
  if (skipCutFirstLine && !lines.empty()) lines.erase(lines.begin());
}

// The tail request: the offset of the returned data on a line of its own, then the last bytes
// of the log.
bool LogView::FetchTail() {
  char request[64];
  std::snprintf(request, sizeof request, "log:%d:%d", backup, kLogPieceSize);
  char* received = node.GetNamedDataItem(request);
  if (received == nullptr) return false;
  const size_t firstLineEnd = std::strcspn(received, "\n\r");
  readOffset = ParseIntLikeAtoi(std::string_view(received, firstLineEnd));
  const size_t dataStart = received[firstLineEnd] == '\0' ? firstLineEnd : firstLineEnd + 1;
  positioning = true;
  TakePiece(received, dataStart, readOffset != 0, false);
  return true;
}

bool LogView::FetchPiece() {
  char request[64];
  std::snprintf(request, sizeof request, "log:%d:%" PRId64 ":%d", backup, readOffset,
                kLogPieceSize);
  char* received = node.GetNamedDataItem(request);
  if (received == nullptr) return false;
  positioning = tailCount != 0;
  bool clipped = false;
  if (readOffset < 0) {
    // Asked for before the start of the log (a back answer near it): the data is taken as
    // beginning the log, and only the bytes before the next piece's offset count.
    // Cut there, the piece is not the end of the log.
    const size_t limit = static_cast<size_t>(std::max<int64_t>(0, readOffset + kLogPieceSize));
    if (std::strlen(received) >= limit) {
      received[limit] = '\0';
      clipped = true;
    }
    readOffset = 0;
  }
  TakePiece(received, 0, positioning && readOffset != 0, clipped);
  return true;
}

LogView::PrintOutcome LogView::PrintLines(size_t first) {
  const int back = listing.backStep();
  int printed = 0;
  size_t index = first;
  while (index < lines.size()) {
    const LogLine& line = lines[index];
    const PagerMove move =
        listing.Show(TextLine{std::string(data.substr(line.offset, line.length))});
    ++printed;
    switch (move) {
      case PagerMove::kNext:
        ++index;
        break;
      case PagerMove::kQuit:
        done = true;
        ReleasePiece();
        return PrintOutcome::kQuit;
      case PagerMove::kRestart:
      case PagerMove::kBackAPage:
        // A log has no start of its own to go back to: back always shows the lines before.
        if (printed > back) {
          // The previous page is still in this piece.
          printed -= back + 1;
          index = index >= static_cast<size_t>(back) ? index - back : 0;
        } else {
          // It ends in an earlier part of the log: read back to it from this line.
          readOffset += static_cast<int64_t>(line.offset) - kLogPieceSize;
          tailCount = back;
          ReleasePiece();
          return PrintOutcome::kBackToEarlierPiece;
        }
        break;
    }
  }
  return PrintOutcome::kAllPrinted;
}

void LogView::BackFromEnd() {
  tailCount = listing.backStep();
  readOffset -= kLogPieceSize;
}

bool LogView::AtEndOfData() {
  if (follow) return wait(followDelay);
  if (!interactive) return false;
  const PagerAnswer answer = AskAtEnd();
  if (answer == kPagerQuit) return false;
  if (answer == kPagerBack) BackFromEnd();
  return true;
}

bool LogView::Show() {
  const bool firstRead = tailCount != 0 ? FetchTail() : FetchPiece();
  if (!firstRead) return false;

  while (true) {
    if (reply == nullptr && !FetchPiece()) {
      if (!AtEndOfData()) return true;
      continue;
    }
    if (data.empty()) {
      ReleasePiece();
      if (!AtEndOfData()) return true;
      continue;
    }
    const bool isShort = data.size() < kFullPieceLength && !clippedBeforeNext;
    if (!follow && !interactive) done = isShort;

    // A full piece read front to back may end inside a line: that line is read again, whole,
    // at the start of the next piece. A piece that is one line only is shown as it is.
    size_t usedLength = data.size();
    if (!positioning && !isShort && !lines.empty() && lines.back().offset > 0) {
      usedLength = lines.back().offset;
      lines.pop_back();
    }
    // Tailing back across pieces, a piece read before the one that followed it ends inside the
    // line that that piece began with: the part here counts as that line, which is read again,
    // whole, at the start of the next piece rather than shown here.
    const bool endsInsideLine = positioning && !isShort && !lines.empty() &&
                                lines.back().offset > 0 && data.back() != '\n' &&
                                data.back() != '\r';

    // Tailing: not enough lines yet, so walk back one piece.
    if (tailCount > static_cast<int64_t>(lines.size()) && readOffset != 0) {
      tailCount -= static_cast<int64_t>(lines.size());
      readOffset -= kLogPieceSize;
      ReleasePiece();
      if (done) return true;
      continue;
    }

    size_t first = 0;
    if (tailCount != 0) {
      if (tailCount < 0) {
        first = lines.size();
      } else if (static_cast<int64_t>(lines.size()) > tailCount) {
        first = lines.size() - static_cast<size_t>(tailCount);
      }
      tailCount = 0;
    }
    if (endsInsideLine) {
      usedLength = lines.back().offset;
      lines.pop_back();
      first = std::min(first, lines.size());
    }

    if (PrintLines(first) == PrintOutcome::kAllPrinted) {
      readOffset += static_cast<int64_t>(usedLength);
      ReleasePiece();
      if (!done && isShort) {
        if (follow) {
          if (!wait(followDelay)) done = true;
        } else if (interactive) {
          const PagerAnswer answer = AskAtEnd();
          if (answer == kPagerQuit) done = true;
          if (answer == kPagerBack) BackFromEnd();
        }
      }
    }
    if (done) return true;
  }
}
