// Where a script's lines come from: a script file, standard input or a text in memory.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/line_store.h"

class LineSource {
 public:
  virtual ~LineSource() = default;
  // Stores the next line (or the next piece of a line longer than capacity - 1 characters),
  // NUL-terminated, in buffer; false when nothing was read.
  virtual bool readLine(char* buffer, int capacity) = 0;
  // Whether another read may still deliver input.
  virtual bool hasMore() = 0;
  // Gives the next whole line, however long, as a view valid until the next read; false when
  // nothing was read.
  virtual bool NextLine(std::string_view& line) = 0;
  // A view of line, as NextLine gave it, that stays valid as long as the source: the line
  // where it already is when the source's text stays in place, else a copy in the source's
  // store.
  virtual std::string_view Keep(std::string_view line) = 0;
  // Whether reading stopped at a line longer than kMaxLineBytes (runtime/bounded_line.h);
  // nothing more is delivered then.
  virtual bool StoppedAtLongLine() const { return false; }
};

// Opens a script file for reading: a regular file with content is mapped and its lines are
// found in place; anything else that can be read (a pipe, a device, a file that reports no
// size) is read as a stream. Null when the file cannot be opened or is a directory.
std::unique_ptr<LineSource> OpenScriptFile(const std::string& path);

// Lines of an open stream, such as standard input. A line keeps its line end. hasMore is false
// once the stream has met its end; a script file is looked ahead into, so that its last line
// is known to be the last, while standard input never is: that would wait for the person
// typing before the prompt is shown.
class FileLineSource : public LineSource {
 public:
  // Reads openStream; a script file's stream is looked ahead into and closed with the source.
  explicit FileLineSource(FILE* openStream, bool isScriptFile = false);
  ~FileLineSource() override;
  FileLineSource(const FileLineSource&) = delete;
  FileLineSource& operator=(const FileLineSource&) = delete;

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override;
  bool NextLine(std::string_view& line) override;
  std::string_view Keep(std::string_view line) override { return store.Add(line); }
  bool StoppedAtLongLine() const override { return longLine; }

 private:
  FILE* stream;
  bool isScriptFile;
  std::string current;    // the line last read, reused
  bool longLine = false;  // reading stopped at a line over the bound
  LineStore store;
};

// Lines of a regular file mapped whole. A line keeps its line end and is a view of the
// mapping, except a line holding a NUL byte, whose text ends there (the line end stays).
// Pages that reading has passed are handed back to the system as it goes, so the script costs
// resident memory only for a window around the line being read; a view of an earlier line
// stays valid (its page is read again from the file when it is next used).
class MappedFileLineSource : public LineSource {
 public:
  // Maps size bytes of the open descriptor fd (size > 0); IsMapped tells whether that worked.
  MappedFileLineSource(int fd, size_t size);
  ~MappedFileLineSource() override;
  MappedFileLineSource(const MappedFileLineSource&) = delete;
  MappedFileLineSource& operator=(const MappedFileLineSource&) = delete;
  bool IsMapped() const { return text != nullptr; }

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override { return position < size; }
  bool NextLine(std::string_view& line) override;
  std::string_view Keep(std::string_view line) override;

  // Replaces the mapping of every running script that is the file at path with a private copy
  // at the same addresses, so that its lines and history entries stay as they were read when
  // the file is about to be rewritten in place (HISTORY SAVE onto a running script). Without
  // this, a page past the rewritten file's end would fault.
  static void DetachScriptsOf(const std::string& path);

 private:
  void Detach();
  // The end of the line starting at position: past its line end, or the end of the file.
  size_t LineEnd() const;
  // Hands back the pages wholly before lineStart once enough of them have been passed.
  void ReleasePassedPages(size_t lineStart);

  const char* text = nullptr;
  size_t size = 0;
  size_t position = 0;
  size_t released = 0;    // bytes from the start whose pages have been handed back
  bool detached = false;  // the text is a private copy: no page may be handed back
  dev_t device = 0;       // the file mapped
  ino_t inode = 0;
  std::string withoutNul;  // the last line that held a NUL byte, up to it and its line end
  LineStore store;
};

// Lines of a command text in memory, without their line ends; the text is read in place and
// must outlive the source. Empty lines are delivered as empty lines and reading goes on after
// them.
class StringLineSource : public LineSource {
 public:
  explicit StringLineSource(const char* commands);

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override { return position != std::string_view::npos; }
  bool NextLine(std::string_view& line) override;
  std::string_view Keep(std::string_view line) override { return line; }

 private:
  // The extent of the next line: [position, lineEnd), lineEnd being npos when no line end follows.
  size_t NextLineEnd() const;
  void AdvancePast(size_t lineEnd);

  std::string_view text;
  size_t position = 0;
};
