// Replacing a whole file so that a reader sees the old content or the new, never a part of either,
// and so that nothing planted in the folder beforehand is followed or waited on. The site file's
// write-back and the snapshot both go through here.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

// The folder of path: "." for a bare name, "/" for a file at the top.
std::string FolderOf(const std::string& path);

// The file that a replacement of path replaces: the target of path when path is (or passes
// through) a symbolic link, else path itself. The link stays; the new file goes beside the target.
std::string ReplacementTarget(const std::string& path);

// Writes all of text to fd, going on after interruptions and partial writes. False, with errno
// set, when a write fails.
bool WriteWhole(int fd, std::string_view text);

// Whether the file at target may be replaced: it has a write permission bit and the user may
// write it, and the user may create files in its folder. problem says what is in the way
// ("the file is not writable (mode 0444)", "its folder F is not writable"). A target that does
// not exist may be created.
bool MayReplaceFile(const std::string& target, std::string& problem);

// The prefix of the names of path's temporary files: "NAME.tmp.", followed by the writer's
// process number and, after a dot, a random part.
std::string TemporaryNamePrefix(const std::string& path);

struct Replacement {
  // What the new file keeps of the one it replaces: its mode, owner and group (null: a new file,
  // 0666 less the umask). A writer that may not give a file away (only root may) owns the new
  // file; it keeps the group when the writer belongs to it, else the group's permissions are
  // dropped rather than handed to the writer's own group.
  const struct stat* keep = nullptr;
  // The new file is written and thrown away, as after a crash just before the rename (a test
  // seam); the replacement then fails.
  bool stopBeforeRename = false;
  // false: a named temporary file even where unnamed ones work (to test the other path).
  bool mayBeUnnamed = true;
};

// Writes text into a new file in path's folder, gives it what replacement keeps, flushes it to
// disk and renames it over path; then flushes the folder. The new file is unnamed until it is
// complete (O_TMPFILE) where the file system allows; elsewhere it is created exclusively under a
// random name, never following a link. written receives the status of the new file. On failure
// problem says why, path is untouched and no temporary file is left.
bool ReplaceFile(const std::string& path, std::string_view text, const Replacement& replacement,
                 struct stat& written, std::string& problem);
