// The lines of a session's successful commands, oldest first, numbered from 1.
//
// An entry is a view of the line where it already is: in the caller's command text, in the
// mapped script file, or in the line source's store for lines read from a stream. The history
// copies no text; its views are kept in fixed chunks, so growing never moves what is stored. The
// first chunks come from the heap; a long history takes its chunks from blocks of 2 MiB mapped
// for them and asked for transparent huge pages, so that a script of a million commands (16 MB
// of views) costs a few page faults instead of four thousand.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

class CommandHistory {
 public:
  // Adds line, whose text must stay valid as long as the history is used.
  void push_back(std::string_view line);
  // Entry index (from 0).
  std::string_view operator[](size_t index) const {
    return chunks[index / kChunkEntries]->entries[index % kChunkEntries];
  }
  size_t size() const { return count; }
  bool empty() const { return count == 0; }
  void clear();
  // Writes every entry to stream exactly as stored, nothing added (lines read from a file or
  // standard input keep their line ends; those of a command text have none, so they are written
  // back to back), and closes it; 0 when all was written and closed, else the reason (an errno
  // value).
  int WriteAndClose(FILE* stream) const;

 private:
  static constexpr size_t kChunkEntries = 4096;
  struct Chunk {
    std::string_view entries[kChunkEntries];
  };
  struct BlockUnmap {
    void operator()(char* block) const;
  };
  // The chunk for the next entries: from the heap while the history is short, else carved from
  // the last block of huge pages (a new one when it is used up).
  Chunk* NewChunk();

  std::vector<Chunk*> chunks;
  std::vector<std::unique_ptr<Chunk>> heapChunks;
  std::vector<std::unique_ptr<char, BlockUnmap>> blocks;
  size_t blockChunksLeft = 0;  // chunks not yet carved from the last block
  size_t count = 0;
};
