// Reading and atomically replacing the site file with POSIX calls: the stamps come from fstat
// and stat, and the replacement is write, fsync, rename, then fsync of the folder.
#include "sim/site_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {
namespace {

FileStamp StampFrom(const struct stat& info) {
  FileStamp stamp;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.mtimeNs = int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

std::string Folder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::optional<FileText> ReadSiteFile(const std::string& path, std::string& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
  result.text.reserve(static_cast<size_t>(info.st_size) + kSiteTextSlack);
  result.text.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < result.text.size()) {
    ssize_t got = ::read(fd, result.text.data() + done, result.text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = std::string("cannot read the file: ") + std::strerror(errno);
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;  // shrank while reading: parse what is there
    done += static_cast<size_t>(got);
  }
  result.text.resize(done);
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
  std::optional<FileStamp> now = StampOf(path);
  if (!now || !(*now == stamp)) return WriteOutcome::ChangedByOther;

  struct stat info {};
  mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
  const std::string temporary = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    error = "cannot create " + temporary + ": " + std::strerror(errno);
    return WriteOutcome::Failed;
  }
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  int saved = errno;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    error = "cannot write " + temporary + ": " + std::strerror(saved);
    ::unlink(temporary.c_str());
    return WriteOutcome::Failed;
  }
  if (stopBeforeRename) {
    ::unlink(temporary.c_str());
    error = "stopped before the rename (ORBITANE_SIM_FAIL_BEFORE_RENAME is set)";
    return WriteOutcome::Failed;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + temporary + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return WriteOutcome::Failed;
  }
  // Make the rename itself durable; a failure here leaves a correct file, so it is not reported.
  int folder = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  std::optional<FileStamp> written = StampOf(path);
  if (!written) {
    error = "the file vanished right after it was written";
    return WriteOutcome::Failed;
  }
  stamp = *written;
  return WriteOutcome::Written;
}

}  // namespace sim
