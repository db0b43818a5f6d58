// The replacement with POSIX calls: O_TMPFILE and linkat where they work, O_EXCL and a name from
// getrandom elsewhere; fchown and fchmod before the rename; fsync of the file and the folder;
// realpath for the target.
#include "orbitane/file_replacement.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kNameAttempts = 100;

std::string Reason() { return std::strerror(errno); }

// A name nobody can guess in path's folder: the prefix, the process number, 64 random bits. It
// carries path's folder, so that the file is made beside path whatever the current folder is: a
// rename cannot cross file systems, and a stale file is looked for beside path.
std::string RandomName(const std::string& path) {
  uint64_t bits = 0;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    // Without the kernel's generator the name is only hard to guess; O_EXCL still refuses
    // anything planted.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    bits ^= static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15u ^
            static_cast<uint64_t>(now.tv_sec) << 32;
  }
  char random[17];
  std::snprintf(random, sizeof random, "%016" PRIx64, bits);
  const size_t slash = path.rfind('/');
  return path.substr(0, slash == std::string::npos ? 0 : slash + 1) + TemporaryNamePrefix(path) +
         std::to_string(getpid()) + "." + random;
}

// The new file until it replaces the old one: closed, and unlinked while it has a name of its
// own, when it goes out of scope.
struct TemporaryFile {
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { Discard(); }
  void Discard() {
    if (fd >= 0) close(fd);
    if (!name.empty()) unlink(name.c_str());
    fd = -1;
    name.clear();
  }
  int fd = -1;
  std::string name;  // empty while the file is unnamed (O_TMPFILE)
};

// Exclusive creation: a link, a FIFO or any file planted at the name makes it fail, and the
// next random name is tried.
bool CreateNamed(const std::string& path, TemporaryFile& file, std::string& problem) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = RandomName(path);
    file.fd =
        open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (file.fd >= 0) {
      file.name = std::move(name);
      return true;
    }
    if (errno != EEXIST) {
      problem = "cannot create " + name + ": " + Reason();
      return false;
    }
  }
  problem = "cannot create a temporary file beside " + path + ": every name tried was taken";
  return false;
}

// Gives an unnamed file a name in its folder. linkat cannot replace a file, so the name is a
// fresh random one, renamed over the target afterwards.
bool NameUnnamed(const std::string& path, TemporaryFile& file) {
  const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = RandomName(path);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno != EEXIST && linkat(file.fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)) {
      file.name = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// The mode, owner and group of the replaced file, as far as this process may give them.
bool Keep(int fd, const struct stat* keep) {
  if (keep == nullptr) return true;
  mode_t mode = keep->st_mode & 07777;
  if (fchown(fd, keep->st_uid, keep->st_gid) != 0) {
    mode &= 0777;  // set-id bits go with the owner
    if (fchown(fd, static_cast<uid_t>(-1), keep->st_gid) != 0) mode &= ~static_cast<mode_t>(070);
  }
  return fchmod(fd, mode) == 0;
}

bool Fill(TemporaryFile& file, std::string_view text, const struct stat* keep) {
  return WriteWhole(file.fd, text) && Keep(file.fd, keep) && fsync(file.fd) == 0;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ReplacementTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

bool WriteWhole(int fd, std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

bool MayReplaceFile(const std::string& target, std::string& problem) {
  struct stat info {};
  if (stat(target.c_str(), &info) != 0) return true;  // the writer reports what is wrong
  // A file without any write bit is protected even from a user whom access() lets through.
  if ((info.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    problem = std::string("the file is not writable (mode ") + mode + ")";
    return false;
  }
  const std::string folder = FolderOf(target);
  if (access(folder.c_str(), W_OK) != 0) {
    problem = "its folder " + folder + " is not writable";
    return false;
  }
  return true;
}

std::string TemporaryNamePrefix(const std::string& path) {
  const size_t slash = path.rfind('/');
  return (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
}

bool ReplaceFile(const std::string& path, std::string_view text, const Replacement& replacement,
                 struct stat& written, std::string& problem) {
  const std::string folder = FolderOf(path);
  TemporaryFile file;
  // Where the file system has no unnamed files (or the folder refuses them), a named one.
  if (replacement.mayBeUnnamed)
    file.fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (file.fd < 0 && !CreateNamed(path, file, problem)) return false;
  auto writeProblem = [&] {
    problem = "cannot write " + (file.name.empty() ? "a new file in " + folder : file.name) + ": " +
              Reason();
    return false;
  };
  if (!Fill(file, text, replacement.keep)) return writeProblem();
  if (replacement.stopBeforeRename) {
    problem = "stopped before the rename";
    return false;
  }
  if (file.name.empty() && !NameUnnamed(path, file)) {
    // Unnamed files that cannot be linked in (no /proc, no privilege): write a named one.
    file.Discard();
    if (!CreateNamed(path, file, problem)) return false;
    if (!Fill(file, text, replacement.keep)) return writeProblem();
  }
  if (rename(file.name.c_str(), path.c_str()) != 0) {
    problem = "cannot rename " + file.name + ": " + Reason();
    return false;
  }
  file.name.clear();  // it is the file now
  // The status after the rename, which changes the file's change time on some file systems.
  if (fstat(file.fd, &written) != 0) written = {};
  file.Discard();
  // Make the rename itself durable; a failure here leaves a correct file, so it is not reported.
  const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
}
