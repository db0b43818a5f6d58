#include "runtime/command_history.h"

#include <cstring>

void CommandHistory::push_back(std::string_view line) {
  if (line.size() > kBlockSize - usedInLastBlock) {
    // A line longer than a block gets a block of its own size.
    size_t size = line.size() > kBlockSize ? line.size() : kBlockSize;
    blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
    usedInLastBlock = 0;
  }
  char* destination = blocks.back().get() + usedInLastBlock;
  if (!line.empty()) std::memcpy(destination, line.data(), line.size());
  usedInLastBlock += line.size();
  entries.emplace_back(destination, line.size());
}

void CommandHistory::clear() {
  entries.clear();
  blocks.clear();
  usedInLastBlock = kBlockSize;
}
