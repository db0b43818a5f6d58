#include "runtime/command_history.h"

#include <sys/mman.h>

#include <cerrno>
#include <new>

namespace {

// Histories up to this many chunks (16,384 entries) stay on the heap: a short session does not
// take a huge page.
constexpr size_t kHeapChunks = 4;
constexpr size_t kBlockBytes = size_t{2} << 20;

}  // namespace

void CommandHistory::BlockUnmap::operator()(char* block) const { munmap(block, kBlockBytes); }

CommandHistory::Chunk* CommandHistory::NewChunk() {
  static_assert(kBlockBytes % sizeof(Chunk) == 0);
  if (heapChunks.size() < kHeapChunks) {
    heapChunks.push_back(std::make_unique<Chunk>());
    return heapChunks.back().get();
  }
  if (blockChunksLeft == 0) {
    void* block =
        mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    madvise(block, kBlockBytes, MADV_HUGEPAGE);
    blocks.emplace_back(static_cast<char*>(block));
    blockChunksLeft = kBlockBytes / sizeof(Chunk);
  }
  char* at = blocks.back().get() + kBlockBytes - blockChunksLeft * sizeof(Chunk);
  --blockChunksLeft;
  return new (at) Chunk();
}

void CommandHistory::push_back(std::string_view line) {
  if (count == chunks.size() * kChunkEntries) chunks.push_back(NewChunk());
  chunks[count / kChunkEntries]->entries[count % kChunkEntries] = line;
  ++count;
}

void CommandHistory::clear() {
  // Chunks hold views only: nothing to destroy but their memory.
  chunks.clear();
  heapChunks.clear();
  blocks.clear();
  blockChunksLeft = 0;
  count = 0;
}

int CommandHistory::WriteAndClose(FILE* stream) const {
  errno = 0;
  bool written = true;
  for (size_t i = 0; i < count && written; ++i) {
    const std::string_view entry = (*this)[i];
    written = std::fwrite(entry.data(), 1, entry.size(), stream) == entry.size();
  }
  const int writeError = errno;
  const bool closed = std::fclose(stream) == 0;
  if (written && closed) return 0;
  const int error = written ? errno : writeError;
  return error != 0 ? error : EIO;
}
