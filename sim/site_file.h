// The site file on disk: reading it whole, recognising it again, and replacing it atomically.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

// A file larger than this is refused rather than read into memory.
constexpr int64_t kMaxSiteFileBytes = int64_t{128} << 20;

// What identifies one version of the file: another process that rewrites it changes at least one
// of these (an atomic writer makes a new inode; an in-place writer changes the change time, which
// no program can set back, even where it keeps the size and the modification time).
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;
  // A digest of the bytes, kept when the file was read or written so soon after its last change
  // that a write by another process within the same tick of the file system's clock would leave
  // every time as it was; the bytes then decide.
  std::optional<uint64_t> digest;
  // Whether other names the same version by inode, size and times (the digest not compared).
  bool SameTimes(const FileStamp& other) const;
};

// The digest of FileStamp::digest.
uint64_t DigestOf(std::string_view bytes);
// Keeps the digest of bytes (the file's content) in stamp when its times alone cannot tell a
// later change: the file changed less than two seconds ago.
void DigestIfRecent(FileStamp& stamp, std::string_view bytes);

// The text of a site file is read with at least this many bytes to spare after it, so that a
// parser that reads ahead in blocks can read it in place.
constexpr size_t kSiteTextSlack = 64;

// The bytes of a site file in memory of their own: mapped afresh rather than taken from the heap,
// so that they are not zero-filled before the read fills them, and, from 2 MiB on, asked for
// transparent huge pages on a huge-page boundary, which saves most of the page faults of reading
// a large file.
class SiteText {
 public:
  SiteText() = default;
  // Room for size bytes and the slack after them; throws std::bad_alloc when there is none.
  explicit SiteText(size_t size);
  ~SiteText();
  SiteText(SiteText&& other) noexcept;
  SiteText& operator=(SiteText&& other) noexcept;
  SiteText(const SiteText&) = delete;
  SiteText& operator=(const SiteText&) = delete;

  char* data() { return mappedBytes; }
  std::string_view view() const { return {mappedBytes, length}; }
  // Shortens the text (a file that shrank while it was read); the slack only grows.
  void Shorten(size_t size) { length = size < length ? size : length; }
  size_t slack() const { return mappedLength - length; }

 private:
  char* mappedBytes = nullptr;
  size_t length = 0;
  size_t mappedLength = 0;
};

struct FileText {
  SiteText text;
  FileStamp stamp;
};

// The file's content and stamp (without a digest), or none with error set to the problem (no
// file name in it).
// Anything but a regular file is refused, without waiting on it (a FIFO would block its open).
std::optional<FileText> ReadSiteFile(const std::string& path, std::string& error);

// The stamp of the file as it is now, or none when it cannot be examined (e.g. it was deleted).
std::optional<FileStamp> StampOf(const std::string& path);

enum class WriteOutcome { Written, ChangedByOther, Failed };

// Replaces the file with text when it still carries stamp (its digest too, when it has one):
// writes a new file in the same folder (orbitane/file_replacement.h) with the mode, owner and group
// of the file, flushes it to disk and renames it over the file; stamp then describes the new file.
// From the check to the rename the writer holds an exclusive advisory lock (flock) on the file, so
// that of two writers that loaded the same version only one replaces it and the other finds it
// changed. With stopBeforeRename the new file is written and thrown away, and the file is left
// alone, as after a crash just before the rename (a test seam). error describes a failure.
WriteOutcome ReplaceSiteFile(const std::string& path, const std::string& text, FileStamp& stamp,
                             bool stopBeforeRename, std::string& error);

// Removes the temporary files of writers of path that died before their rename (killed, or
// crashed): path.tmp.PID.RANDOM (or path.tmp.PID) where no process PID exists. Files of live
// processes stay.
void RemoveStaleTemporaries(const std::string& path);

}  // namespace sim
