#include "sim/entry_pool.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace sim {

namespace {

// Chunks start small, for the built-in site, and double up to this size.
constexpr size_t kFirstChunk = size_t{64} << 10;
constexpr size_t kLargestChunk = size_t{16} << 20;

}  // namespace

EntryPool::~EntryPool() {
  for (const Chunk& chunk : chunks) munmap(chunk.start, chunk.size);
}

void EntryPool::Release() {
  released = true;
  if (outstanding == 0) delete this;
}

void* EntryPool::Allocate(size_t bytes, size_t alignment) {
  ++outstanding;
  if (kBlockByBlock) return ::operator new(bytes);
  // Chunks start on a page, and every block's size is a multiple of the alignment.
  bytes = (bytes + alignment - 1) / alignment * alignment;
  if (blockSize == 0) blockSize = bytes;
  if (bytes != blockSize) std::abort();  // a pool serves one kind of block
  if (freed != nullptr) {
    FreeBlock* block = freed;
    freed = block->next;
    return block;
  }
  if (room < bytes) {
    size_t size = chunks.empty() ? kFirstChunk : chunks.back().size * 2;
    if (size > kLargestChunk) size = kLargestChunk;
    if (size < bytes) size = bytes;
    void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) throw std::bad_alloc();
    chunks.push_back({start, size});
    next = static_cast<char*>(start);
    room = size;
  }
  void* block = next;
  next += bytes;
  room -= bytes;
  return block;
}

void EntryPool::Free(void* block) {
  if (kBlockByBlock) {
    ::operator delete(block);
  } else {
    auto* free = static_cast<FreeBlock*>(block);
    free->next = freed;
    freed = free;
  }
  if (--outstanding == 0 && released) delete this;
}

}  // namespace sim
