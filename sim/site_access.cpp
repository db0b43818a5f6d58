// The write target and the permission check, with realpath, stat and access.
#include "sim/site_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace sim {
namespace {

const char kAdvice[] = "; nothing was written (use --read-only to try changes in memory only)";

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string WriteTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

bool MayReplace(const std::string& target, std::string& problem) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return true;  // the writer reports what is wrong
  // A file without any write bit is protected even from a user whom access() lets through.
  if ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    problem = std::string("the file is not writable (mode ") + mode + ")" + kAdvice;
    return false;
  }
  const std::string folder = FolderOf(target);
  if (::access(folder.c_str(), W_OK) != 0) {
    problem = "its folder " + folder + " is not writable" + kAdvice;
    return false;
  }
  return true;
}

}  // namespace sim
