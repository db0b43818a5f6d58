// Where the entries of one installation live: blocks of one size (an entry with its shared_ptr
// control block) carved in order out of large chunks, so that loading a site of 100,000 nodes
// makes a few dozen allocations instead of 100,000 and its entries lie side by side in the order
// of the file. The chunks are not asked for transparent huge pages: with the kernel's usual
// setting, a huge page asked for with madvise is made by compacting memory at fault time, which
// on a busy machine made a large load several times slower than faulting small pages. A freed
// block goes on a free list and is the next one handed out, so adding and removing entries for
// ever does not grow the pool.
//
// The pool is shared by the allocators stored in the control blocks, so it outlives every weak
// pointer to an entry, even one that a node still holds after its installation was unloaded.
// Under AddressSanitizer every block is its own allocation, so that misuse is still caught.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace sim {

class EntryPool {
 public:
  EntryPool() = default;
  ~EntryPool();
  EntryPool(const EntryPool&) = delete;
  EntryPool& operator=(const EntryPool&) = delete;

  // A block of bytes, aligned for any entry; every request of one pool has the same size.
  void* Allocate(size_t bytes);
  void Free(void* block);

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Chunk {
    void* start;
    size_t size;
  };
  static size_t Round(size_t bytes);

  std::vector<Chunk> chunks;
  char* next = nullptr;  // the next unused byte of the last chunk
  size_t room = 0;       // bytes left after next
  FreeBlock* freed = nullptr;
  size_t blockSize = 0;  // fixed by the first request
};

// The standard allocator interface over a shared pool, for std::allocate_shared.
template <typename T>
struct PoolAllocator {
  using value_type = T;
  explicit PoolAllocator(std::shared_ptr<EntryPool> pool) : pool(std::move(pool)) {}
  template <typename U>
  PoolAllocator(const PoolAllocator<U>& other) : pool(other.pool) {}
  T* allocate(size_t n) { return static_cast<T*>(pool->Allocate(n * sizeof(T))); }
  void deallocate(T* block, size_t) { pool->Free(block); }
  template <typename U>
  bool operator==(const PoolAllocator<U>& other) const {
    return pool == other.pool;
  }

  std::shared_ptr<EntryPool> pool;
};

}  // namespace sim
