#include "runtime/script_copy.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <string>

namespace {

// Folder for the unlinked copy: $TMPDIR, else /tmp.
std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

// Copies up to size bytes from the start of from into to; the number copied (fewer when from
// ends first), or -1 on a failure.
long long CopyBytes(int from, int to, size_t size) {
  loff_t offset = 0;
  size_t done = 0;
  while (done < size) {
    const ssize_t copied = copy_file_range(from, &offset, to, nullptr, size - done, 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied < 0 && done == 0 &&
        (errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS)) {
      break;  // this pair of file systems cannot copy in the kernel: copy through a buffer
    }
    if (copied < 0) return -1;
    if (copied == 0) return static_cast<long long>(done);  // the file shrank meanwhile
    done += static_cast<size_t>(copied);
  }
  if (done == size) return static_cast<long long>(done);
  char buffer[1 << 16];
  while (done < size) {
    const size_t want = size - done < sizeof buffer ? size - done : sizeof buffer;
    const ssize_t got = pread(from, buffer, want, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    for (ssize_t written = 0; written < got;) {
      const ssize_t step = write(to, buffer + written, static_cast<size_t>(got - written));
      if (step < 0 && errno == EINTR) continue;
      if (step <= 0) return -1;
      written += step;
    }
    done += static_cast<size_t>(got);
  }
  return static_cast<long long>(done);
}

}  // namespace

ScriptCopy::ScriptCopy(int fd, size_t size) {
  if (!MapTemporaryCopy(fd, size)) ReadIntoMemory(fd, size);
}

ScriptCopy::~ScriptCopy() {
  if (text_ != nullptr) munmap(const_cast<char*>(text_), mapped_);
}

bool ScriptCopy::MapTemporaryCopy(int fd, size_t size) {
  const int copy = open(TemporaryFolder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (copy < 0) return false;
  const long long copied = CopyBytes(fd, copy, size);
  if (copied <= 0) {
    close(copy);
    return false;
  }
  void* mapping = mmap(nullptr, static_cast<size_t>(copied), PROT_READ, MAP_PRIVATE, copy, 0);
  close(copy);  // the mapping keeps the unlinked file
  if (mapping == MAP_FAILED) return false;
  madvise(mapping, static_cast<size_t>(copied), MADV_SEQUENTIAL);
  text_ = static_cast<const char*>(mapping);
  size_ = mapped_ = static_cast<size_t>(copied);
  fileBacked_ = true;
  return true;
}

bool ScriptCopy::ReadIntoMemory(int fd, size_t size) {
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return false;
  madvise(memory, size, MADV_HUGEPAGE);
  char* bytes = static_cast<char*>(memory);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, bytes + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // an error or the file's new end: the text ends here
    done += static_cast<size_t>(got);
  }
  text_ = bytes;
  size_ = done;
  mapped_ = size;
  return true;
}
