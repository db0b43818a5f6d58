#include "runtime/command_history.h"

void CommandHistory::push_back(std::string_view line) {
  if (count == chunks.size() * kChunkEntries) chunks.push_back(std::make_unique<Chunk>());
  chunks[count / kChunkEntries]->entries[count % kChunkEntries] = line;
  ++count;
}

void CommandHistory::clear() {
  chunks.clear();
  count = 0;
}
