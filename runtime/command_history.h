// The lines of a session's successful commands, oldest first, numbered from 1.
//
// Lines are copied into large blocks that are never moved, with a view of each beside them, so
// that a script of a million commands costs a few large allocations rather than a million
// small ones, and growing never copies the text already stored.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

class CommandHistory {
 public:
  void push_back(std::string_view line);
  // Entry index (from 0), valid until the history is cleared.
  std::string_view operator[](size_t index) const { return entries[index]; }
  size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }
  void clear();
  // Writes every entry to stream, each on a line of its own (a line end is added to an entry
  // that has none, as the lines of a command text have none), so that the file runs again with
  // INCLUDE; then closes stream. 0, or the errno of the first write, or of the close, that failed.
  int WriteAndClose(FILE* stream) const;

 private:
  static constexpr size_t kBlockSize = 1 << 20;

  std::vector<std::unique_ptr<char[]>> blocks;
  size_t lastBlockSize = 0;    // a line longer than kBlockSize has a block of its own size
  size_t usedInLastBlock = 0;  // never more than lastBlockSize
  std::vector<std::string_view> entries;
};
