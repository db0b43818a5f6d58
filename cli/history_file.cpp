#include "cli/history_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool reported = false;

bool NotKept(const std::string& reason) {
  if (!reported) {
    std::fflush(stdout);
    std::fprintf(stderr, "hxo_cmdline: the history is not kept: %s\n", reason.c_str());
    reported = true;
  }
  return false;
}

std::string Reason(const std::string& path) {
  // A FIFO without a reader refuses to be opened for writing without waiting.
  return path + ": " + (errno == ENXIO ? "not a regular file" : std::strerror(errno));
}

// Opens path without waiting on a FIFO or following it into a terminal, and checks that it is a
// regular file no larger than the bound; -1 (reported) otherwise.
int OpenRegular(const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    NotKept(path + ": not a regular file");
    return -1;
  }
  if (info.st_size > kMaxHistoryFileBytes) {
    close(fd);
    NotKept(path + ": larger than " + std::to_string(kMaxHistoryFileBytes >> 20) + " MiB");
    return -1;
  }
  return fd;
}

}  // namespace

bool HistoryFileReadable(const std::string& path) {
  if (path.empty()) return NotKept("neither $XDG_STATE_HOME nor $HOME names a folder for it");
  const int fd = OpenRegular(path, O_RDONLY);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  if (errno != ENOENT) return reported ? false : NotKept(Reason(path));
  // Nothing to read yet; say now, not when the session ends, if it cannot be made.
  const std::string folder = path.substr(0, path.rfind('/'));
  if (access(folder.c_str(), W_OK) != 0) NotKept(Reason(folder));
  return false;
}

bool PrepareHistoryFile(const std::string& path) {
  if (path.empty() || reported) return false;
  const int fd = OpenRegular(path, O_WRONLY | O_CREAT);
  if (fd < 0) return reported ? false : NotKept(Reason(path));
  const bool ok = fchmod(fd, 0600) == 0;
  close(fd);
  return ok || NotKept(Reason(path));
}
