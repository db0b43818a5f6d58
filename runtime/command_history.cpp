#include "runtime/command_history.h"

#include <cerrno>

void CommandHistory::push_back(std::string_view line) {
  if (count == chunks.size() * kChunkEntries) chunks.push_back(std::make_unique<Chunk>());
  chunks[count / kChunkEntries]->entries[count % kChunkEntries] = line;
  ++count;
}

void CommandHistory::clear() {
  chunks.clear();
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
