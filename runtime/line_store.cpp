#include "runtime/line_store.h"

#include <cstring>

std::string_view LineStore::Add(std::string_view text) {
  if (text.empty()) return {};
  char* destination;
  if (text.size() >= kBlockSize) {
    // A text of a block's size or more gets a block of its own; the open block stays open.
    blocks.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
    destination = blocks.back().get();
  } else {
    if (text.size() > roomInLastBlock) {
      blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
      next = blocks.back().get();
      roomInLastBlock = kBlockSize;
    }
    destination = next;
    next += text.size();
    roomInLastBlock -= text.size();
  }
  std::memcpy(destination, text.data(), text.size());
  return {destination, text.size()};
}
