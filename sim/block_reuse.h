// Blocks of one size kept for the next object of a class whose objects come and go by the
// million: a walk makes and deletes a node at every step, and every target's cable-community
// check a walker. Handed out again instead of going back to the allocator; the simulator runs on
// one thread. At most kMost blocks wait, so the list keeps no more than were ever alive at once,
// up to that bound; the sanitizer build gives every object its own allocation (entry_pool.h).
#pragma once

#include <cstddef>
#include <new>

#include "sim/entry_pool.h"

namespace sim {

template <size_t kBytes, size_t kMost>
class BlockReuse {
 public:
  void* Take(size_t bytes) {
    if (kBlockByBlock || waiting == nullptr || bytes != kBytes) return ::operator new(bytes);
    FreeBlock* block = waiting;
    waiting = block->next;
    --count;
    return block;
  }

  void Give(void* block, size_t bytes) {
    if (kBlockByBlock || count == kMost || bytes != kBytes) {
      ::operator delete(block);
      return;
    }
    waiting = new (block) FreeBlock{waiting};
    ++count;
  }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  FreeBlock* waiting = nullptr;
  size_t count = 0;
};

}  // namespace sim
