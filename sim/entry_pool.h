// Where the entries of one installation live: blocks of one size (an entry with its shared_ptr
// control block) carved in order out of large chunks, so that loading a site of 100,000 nodes
// makes a few dozen allocations instead of 100,000 and its entries lie side by side in the order
// of the file. The chunks are not asked for transparent huge pages: with the kernel's usual
// setting, a huge page asked for with madvise is made by compacting memory at fault time, which
// on a busy machine made a large load several times slower than faulting small pages. A freed
// block goes on a free list and is the next one handed out, so adding and removing entries for
// ever does not grow the pool.
//
// The pool counts the blocks it has handed out and goes once its owner has released it and the
// last block is back, so it outlives every weak pointer to an entry, even one still held after
// its installation was unloaded. The allocator in each control block is a plain pointer to it:
// a shared_ptr there took 16 bytes of every entry and two atomic count changes.
// Under AddressSanitizer every block is its own allocation, so that misuse is still caught.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace sim {

// Under AddressSanitizer (g++ says so with __SANITIZE_ADDRESS__, clang through __has_feature)
// every block of a pool or a reuse list is its own allocation: misuse is caught, and the leak
// checker, which does not look into mapped chunks, sees what entries own.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kBlockByBlock = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kBlockByBlock = true;
#else
inline constexpr bool kBlockByBlock = false;
#endif
#else
inline constexpr bool kBlockByBlock = false;
#endif

class EntryPool {
 public:
  // A pool for its owner, who lets go of it with Release.
  static EntryPool* Make() { return new EntryPool(); }
  EntryPool(const EntryPool&) = delete;
  EntryPool& operator=(const EntryPool&) = delete;
  // The owner is done with the pool: it goes now, or with the last block given back.
  void Release();

  // A block of bytes with the given alignment; every request of one pool has the same size and
  // alignment.
  void* Allocate(size_t bytes, size_t alignment);
  void Free(void* block);

 private:
  EntryPool() = default;
  ~EntryPool();
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Chunk {
    void* start;
    size_t size;
  };

  std::vector<Chunk> chunks;
  char* next = nullptr;  // the next unused byte of the last chunk
  size_t room = 0;       // bytes left after next
  FreeBlock* freed = nullptr;
  size_t blockSize = 0;    // fixed by the first request
  size_t outstanding = 0;  // blocks handed out and not given back
  bool released = false;   // by its owner
};

// Owns a pool until it goes (Site::pool).
struct EntryPoolRelease {
  void operator()(EntryPool* pool) const { pool->Release(); }
};
using OwnedEntryPool = std::unique_ptr<EntryPool, EntryPoolRelease>;

// The standard allocator interface over a pool, for std::allocate_shared.
template <typename T>
struct PoolAllocator {
  using value_type = T;
  explicit PoolAllocator(EntryPool* pool) : pool(pool) {}
  template <typename U>
  PoolAllocator(const PoolAllocator<U>& other) : pool(other.pool) {}
  T* allocate(size_t n) { return static_cast<T*>(pool->Allocate(n * sizeof(T), alignof(T))); }
  void deallocate(T* block, size_t) { pool->Free(block); }
  template <typename U>
  bool operator==(const PoolAllocator<U>& other) const {
    return pool == other.pool;
  }

  EntryPool* pool;
};

}  // namespace sim
