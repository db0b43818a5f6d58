// Writing trace lines.
#include "sim/trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "orbitane/file_replacement.h"
#include "sim/escaping.h"
#include "sim/report.h"

namespace sim {
namespace {

bool SameFile(const std::string& one, const std::string& other) {
  struct stat first {
  }, second{};
  return ::stat(one.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

void Trace::SetFile(std::string path, const std::string& siteFile) {
  failureReported = false;
  tracePath.clear();
  if (!path.empty() && !siteFile.empty() && SameFile(path, siteFile)) {
    if (refusedPath != path) {
      ReportProblem(path, "the trace would be written into the installation file " + siteFile +
                              "; no trace is written");
    }
    refusedPath = std::move(path);
    return;
  }
  tracePath = std::move(path);
}

void Trace::Write(std::string_view line) const {
  if (tracePath.empty()) return;
  std::string text(line);
  text += '\n';
  // Opened without waiting, so that a FIFO that nobody reads fails rather than blocks; written
  // with waiting, so that a slow reader loses nothing.
  const int fd =
      ::open(tracePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  int error = 0;
  bool written = fd >= 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 &&
                 WriteWhole(fd, text);
  if (!written) error = errno != 0 ? errno : EIO;
  if (fd >= 0 && ::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written || failureReported) return;
  failureReported = true;
  ReportProblem(tracePath, std::string("cannot write the trace: ") + std::strerror(error));
}

std::string TraceText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text, kTraceEscapes);
  return out;
}

std::string TraceRecord(const ChildDefinitionData& record) {
  std::string out;
  for (const auto& [key, value] : record.entries()) {
    out += ' ';
    out += TraceText(key);
    out += '=';
    out += TraceText(value);
  }
  return out;
}

std::string TracePassword(const char* password) {
  return password != nullptr && *password != '\0' ? " password=***" : " password=\"\"";
}

}  // namespace sim
