#include "runtime/command_history.h"

#include <cerrno>
#include <cstring>

void CommandHistory::push_back(std::string_view line) {
  if (blocks.empty() || line.size() > lastBlockSize - usedInLastBlock) {
    // A line longer than a block gets a block of its own size.
    lastBlockSize = line.size() > kBlockSize ? line.size() : kBlockSize;
    blocks.push_back(std::make_unique_for_overwrite<char[]>(lastBlockSize));
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
  lastBlockSize = 0;
  usedInLastBlock = 0;
}

int CommandHistory::WriteAndClose(FILE* stream) const {
  errno = 0;
  bool written = true;
  for (std::string_view entry : entries) {
    written = std::fwrite(entry.data(), 1, entry.size(), stream) == entry.size() &&
              ((!entry.empty() && entry.back() == '\n') || std::fputc('\n', stream) != EOF);
    if (!written) break;
  }
  const int writeError = errno;
  const bool closed = std::fclose(stream) == 0;
  if (written && closed) return 0;
  const int error = written ? errno : writeError;
  return error != 0 ? error : EIO;
}
