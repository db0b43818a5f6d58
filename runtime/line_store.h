// A store of line texts that are kept nowhere else (lines read from a stream, whose buffer is
// reused): each text is copied once, end to end, into large blocks that never move, so that a
// view of a stored text stays valid as long as the store.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class LineStore {
 public:
  // Copies text into the store and gives a view of the copy.
  std::string_view Add(std::string_view text);

 private:
  static constexpr size_t kBlockSize = 1 << 16;

  std::vector<std::unique_ptr<char[]>> blocks;
  size_t roomInLastBlock = 0;  // bytes still free in the open block
  char* next = nullptr;        // where the next text goes in the open block
};
