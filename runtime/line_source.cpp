#include "runtime/line_source.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/bounded_line.h"

namespace {

// Pages are handed back in steps of this many bytes behind the line being read.
constexpr size_t kReleaseStep = size_t{4} << 20;
// Pages of a mapped copy are mapped up to this many bytes ahead of the line being read, half a
// step at a time.
constexpr size_t kMapAheadStep = size_t{2} << 20;

// Copies the line of length bytes at line into buffer as fgets would: through the line end, at
// most capacity - 1 bytes. Gives the number of bytes taken from the line.
size_t CopyPiece(const char* line, size_t length, char* buffer, int capacity) {
  size_t room = static_cast<size_t>(capacity) - 1;
  size_t taken = length < room ? length : room;
  std::memcpy(buffer, line, taken);
  buffer[taken] = '\0';
  return taken;
}

}  // namespace

std::unique_ptr<LineSource> OpenScriptFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  if (fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    close(fd);
    return nullptr;
  }
  if (S_ISREG(status.st_mode) && status.st_size > 0) {
    auto copied = std::make_unique<CopiedFileLineSource>(fd, static_cast<size_t>(status.st_size));
    if (copied->IsCopied()) {
      close(fd);
      return copied;
    }
  }
  FILE* stream = fdopen(fd, "r");
  if (stream == nullptr) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<FileLineSource>(stream, true);
}

FileLineSource::FileLineSource(FILE* openStream, bool isScriptFile)
    : stream(openStream), isScriptFile(isScriptFile) {}

FileLineSource::~FileLineSource() {
  if (isScriptFile && stream != nullptr) std::fclose(stream);
}

bool FileLineSource::readLine(char* buffer, int capacity) {
  if (stream == nullptr) return false;
  return std::fgets(buffer, capacity, stream) != nullptr;
}

bool FileLineSource::hasMore() {
  if (stream == nullptr || longLine || std::feof(stream)) return false;
  if (isScriptFile) {
    int next = std::getc(stream);
    if (next == EOF) return false;
    std::ungetc(next, stream);
  }
  return true;
}

bool FileLineSource::NextLine(std::string_view& line) {
  line = {};
  if (stream == nullptr || longLine) return false;
  switch (ReadBoundedLine(stream, current)) {
    case LineRead::kLine:
      break;
    case LineRead::kEnd:
      return false;
    case LineRead::kTooLong:
      longLine = true;
      current.clear();
      return false;
  }
  // A NUL byte ends the line's text, as it does for every C text; the line end stays.
  if (size_t nul = current.find('\0'); nul != std::string::npos) {
    const bool ended = current.back() == '\n';
    current.resize(nul);
    if (ended) current.push_back('\n');
  }
  line = current;
  return true;
}

CopiedFileLineSource::CopiedFileLineSource(int fd, size_t size) : copy(fd, size) {}

size_t CopiedFileLineSource::LineEnd() const {
  const char* text = copy.text();
  const void* lineEnd = std::memchr(text + position, '\n', copy.size() - position);
  return lineEnd == nullptr ? copy.size() : static_cast<const char*>(lineEnd) - text + 1;
}

void CopiedFileLineSource::ReleasePassedPages(size_t lineStart) {
  if (!copy.pagesCanBeReleased()) return;  // pages of memory handed back would read as zeros
  if (lineStart - released < 2 * kReleaseStep) return;
  const size_t until = (lineStart - kReleaseStep) & ~(kReleaseStep - 1);
  if (until <= released) return;
  madvise(const_cast<char*>(copy.text()) + released, until - released, MADV_DONTNEED);
  released = until;
}

void CopiedFileLineSource::MapAhead(size_t lineEnd) {
#ifdef MADV_POPULATE_READ
  if (!copy.pagesCanBeReleased() || mapped >= copy.size() ||
      lineEnd + kMapAheadStep / 2 <= mapped) {
    return;
  }
  // Whole pages only (the advice starts at a page), up to the end of the copy.
  static const size_t kPageBytes = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t until = std::min(copy.size(), (lineEnd + kMapAheadStep) & ~(kPageBytes - 1));
  // A kernel without this advice refuses it, and the pages are mapped by faults as before.
  madvise(const_cast<char*>(copy.text()) + mapped, until - mapped, MADV_POPULATE_READ);
  mapped = until;
#else
  (void)lineEnd;
#endif
}

bool CopiedFileLineSource::readLine(char* buffer, int capacity) {
  if (position >= copy.size() || capacity <= 0) return false;
  position += CopyPiece(copy.text() + position, LineEnd() - position, buffer, capacity);
  return true;
}

bool CopiedFileLineSource::NextLine(std::string_view& line) {
  line = {};
  if (position >= copy.size() || longLine) return false;
  const size_t start = position;
  const size_t end = LineEnd();
  const bool ended = copy.text()[end - 1] == '\n';
  if (end - start - (ended ? 1 : 0) > kMaxLineBytes) {
    longLine = true;  // the same bound as a stream's: nothing after it is read
    return false;
  }
  position = end;
  ReleasePassedPages(start);
  MapAhead(end);
  line = std::string_view(copy.text() + start, end - start);
  const void* nul = std::memchr(line.data(), '\0', line.size());
  if (nul != nullptr) {
    withoutNul.assign(line.data(), static_cast<const char*>(nul) - line.data());
    if (ended) withoutNul.push_back('\n');
    line = withoutNul;
  }
  return true;
}

std::string_view CopiedFileLineSource::Keep(std::string_view line) {
  if (line.data() >= copy.text() && line.data() < copy.text() + copy.size()) return line;
  return store.Add(line);
}

StringLineSource::StringLineSource(const char* commands)
    : text(commands != nullptr ? commands : "") {}

size_t StringLineSource::NextLineEnd() const { return text.find('\n', position); }

void StringLineSource::AdvancePast(size_t lineEnd) {
  if (lineEnd == std::string_view::npos || lineEnd + 1 >= text.size()) {
    position = std::string_view::npos;
  } else {
    position = lineEnd + 1;
  }
}

bool StringLineSource::readLine(char* buffer, int capacity) {
  if (position == std::string_view::npos || capacity <= 0) return false;
  size_t lineEnd = NextLineEnd();
  size_t length = (lineEnd == std::string_view::npos ? text.size() : lineEnd) - position;
  size_t taken = CopyPiece(text.data() + position, length, buffer, capacity);
  if (taken < length) {
    position += taken;  // the rest of the line comes with the next call
  } else {
    AdvancePast(lineEnd);
  }
  return true;
}

bool StringLineSource::NextLine(std::string_view& line) {
  line = {};
  if (position == std::string_view::npos) return false;
  size_t lineEnd = NextLineEnd();
  size_t end = lineEnd == std::string_view::npos ? text.size() : lineEnd;
  line = text.substr(position, end - position);
  AdvancePast(lineEnd);
  return true;
}
