// Reading and atomically replacing the site file with POSIX calls: the stamps come from fstat
// and stat, and the replacement (orbitane/file_replacement.h) happens under flock.
#include "sim/site_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <functional>
#include <new>
#include <string_view>
#include <utility>

#include "orbitane/file_replacement.h"

namespace sim {
namespace {

// A file whose last change is younger than this when it is read could be changed again without
// any of its times moving: file systems keep times in ticks of a coarse clock, some in seconds.
constexpr int64_t kTimeDoubtNs = int64_t{2} * 1000000000;

// The size of a transparent huge page on x86-64 and arm64 with 4 KiB pages.
constexpr size_t kHugePage = size_t{2} << 20;

int64_t Nanoseconds(const timespec& time) {
  return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec;
}

FileStamp StampFrom(const struct stat& info) {
  FileStamp stamp;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.mtimeNs = Nanoseconds(info.st_mtim);
  stamp.ctimeNs = Nanoseconds(info.st_ctim);
  return stamp;
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  explicit Descriptor(int fd) : fd(fd) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

// Whether the open file still holds the bytes whose digest is given.
bool HoldsDigest(int fd, uint64_t digest, int64_t size) {
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return DigestOf(bytes) == digest;
}

}  // namespace

bool FileStamp::SameTimes(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         mtimeNs == other.mtimeNs && ctimeNs == other.ctimeNs;
}

uint64_t DigestOf(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

void DigestIfRecent(FileStamp& stamp, std::string_view bytes) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  if (Nanoseconds(now) - stamp.ctimeNs < kTimeDoubtNs) stamp.digest = DigestOf(bytes);
}

SiteText::SiteText(size_t size) : length(size), mappedLength(size + kSiteTextSlack) {
  if (mappedLength < kHugePage) {
    void* start =
        mmap(nullptr, mappedLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) throw std::bad_alloc();
    mappedBytes = static_cast<char*>(start);
    return;
  }
  // Huge pages apply only to whole aligned ones: a text that started anywhere else would be read
  // into small pages up to the first boundary and after the last one. So a huge page more is
  // reserved, and what lies before the boundary and after the (rounded) end is given back.
  mappedLength = (mappedLength + kHugePage - 1) / kHugePage * kHugePage;
  const size_t reserved = mappedLength + kHugePage;
  void* start = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) throw std::bad_alloc();
  const auto first = reinterpret_cast<uintptr_t>(start);
  const uintptr_t aligned = (first + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > first) munmap(start, aligned - first);
  const size_t after = first + reserved - (aligned + mappedLength);
  if (after > 0) munmap(reinterpret_cast<void*>(aligned + mappedLength), after);
  mappedBytes = reinterpret_cast<char*>(aligned);
  madvise(mappedBytes, mappedLength, MADV_HUGEPAGE);
}

SiteText::~SiteText() {
  if (mappedBytes != nullptr) munmap(mappedBytes, mappedLength);
}

SiteText::SiteText(SiteText&& other) noexcept
    : mappedBytes(std::exchange(other.mappedBytes, nullptr)),
      length(std::exchange(other.length, 0)),
      mappedLength(std::exchange(other.mappedLength, 0)) {}

SiteText& SiteText::operator=(SiteText&& other) noexcept {
  if (this != &other) {
    if (mappedBytes != nullptr) munmap(mappedBytes, mappedLength);
    mappedBytes = std::exchange(other.mappedBytes, nullptr);
    length = std::exchange(other.length, 0);
    mappedLength = std::exchange(other.mappedLength, 0);
  }
  return *this;
}

std::optional<FileText> ReadSiteFile(const std::string& path, std::string& error) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer; a regular file ignores it.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::string("cannot open the file: ") + std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    ::close(fd);
    return std::nullopt;
  }
  if (info.st_size > kMaxSiteFileBytes) {
    error = "the file is larger than " + std::to_string(kMaxSiteFileBytes >> 20) + " MiB (" +
            std::to_string(info.st_size) + " bytes)";
    ::close(fd);
    return std::nullopt;
  }
  FileText result;
  result.stamp = StampFrom(info);
  const auto size = static_cast<size_t>(info.st_size);
  try {
    result.text = SiteText(size);
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the file";
    ::close(fd);
    return std::nullopt;
  }
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd, result.text.data() + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = std::string("cannot read the file: ") + std::strerror(errno);
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;  // shrank while reading: parse what is there
    done += static_cast<size_t>(got);
  }
  result.text.Shorten(done);
  ::close(fd);
  return result;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return StampFrom(info);
}

WriteOutcome ReplaceSiteFile(const std::string& path, const std::string& text, FileStamp& stamp,
                             bool stopBeforeRename, std::string& error) {
  // The lock is taken on the file as it is now and must still be the file once held: a writer
  // that replaced it meanwhile held the lock until its rename, so this one then sees the change.
  Descriptor lock(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (lock.fd < 0) {
    if (errno == ENOENT) return WriteOutcome::ChangedByOther;
    error = std::string("cannot open the file: ") + std::strerror(errno);
    return WriteOutcome::Failed;
  }
  while (::flock(lock.fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    error = std::string("cannot lock the file: ") + std::strerror(errno);
    return WriteOutcome::Failed;
  }
  struct stat held {};
  std::optional<FileStamp> now = StampOf(path);
  if (::fstat(lock.fd, &held) != 0 || !StampFrom(held).SameTimes(stamp) || !now ||
      !now->SameTimes(stamp) ||
      (stamp.digest && !HoldsDigest(lock.fd, *stamp.digest, stamp.size))) {
    return WriteOutcome::ChangedByOther;
  }
  RemoveStaleTemporaries(path);

  Replacement replacement;
  replacement.keep = &held;
  replacement.stopBeforeRename = stopBeforeRename;
  struct stat written {};
  if (!ReplaceFile(path, text, replacement, written, error)) {
    if (stopBeforeRename && error == "stopped before the rename") {
      error += " (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)";
    }
    return WriteOutcome::Failed;
  }
  // The stamp is the new file's own: after the rename another writer may already have replaced
  // it.
  stamp = StampFrom(written);
  DigestIfRecent(stamp, text);
  return WriteOutcome::Written;
}

void RemoveStaleTemporaries(const std::string& path) {
  const std::string prefix = TemporaryNamePrefix(path);
  DIR* folder = ::opendir(FolderOf(path).c_str());
  if (folder == nullptr) return;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name(entry->d_name);
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
    // PID, or PID.RANDOM
    const std::string_view rest = name.substr(prefix.size());
    const std::string_view digits = rest.substr(0, rest.find('.'));
    int pid = 0;
    auto [end, problem] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (problem != std::errc() || end != digits.data() + digits.size() || pid <= 0) continue;
    // EPERM: the process exists but belongs to someone else; it may still be writing.
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(folder), entry->d_name, 0);
  }
  ::closedir(folder);
}

}  // namespace sim
