// Where a script's lines come from: a script file, standard input or a text in memory.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/line_store.h"
#include "runtime/script_copy.h"

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

// Opens a script file for reading: a regular file with content is copied whole as it is now
// (ScriptCopy) and its lines are found in that copy, so that the script reads what it started
// with whatever happens to the file; anything else that can be read (a pipe, a device, a file
// that reports no size) is read as a stream. Null when the file cannot be opened or is a
// directory.
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

// Lines of a regular file's private copy (ScriptCopy). A line keeps its line end and is a view
// of the copy, except a line holding a NUL byte, whose text ends there (the line end stays).
// Where the copy is a mapped file, pages that reading has passed are handed back to the system
// as it goes, so the script costs resident memory only for a window around the line being read;
// a view of an earlier line stays valid (its page is read again from the copy when it is next
// used). A line longer than kMaxLineBytes ends the reading, as it does for a stream.
class CopiedFileLineSource : public LineSource {
 public:
  // Copies size bytes of the open descriptor fd (size > 0); IsCopied tells whether that worked.
  CopiedFileLineSource(int fd, size_t size);
  bool IsCopied() const { return copy.text() != nullptr; }
  // The whole text that the script reads.
  std::string_view text() const { return {copy.text(), copy.size()}; }

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override { return position < copy.size() && !longLine; }
  bool NextLine(std::string_view& line) override;
  std::string_view Keep(std::string_view line) override;
  bool StoppedAtLongLine() const override { return longLine; }

 private:
  // The end of the line starting at position: past its line end, or the end of the text.
  size_t LineEnd() const;
  // Hands back the pages wholly before lineStart once enough of them have been passed.
  void ReleasePassedPages(size_t lineStart);
  // Maps the pages of the next steps of a mapped copy ahead of the reader, in one call, where a
  // page fault every few pages would otherwise map them.
  void MapAhead(size_t lineEnd);

  ScriptCopy copy;
  size_t position = 0;
  size_t released = 0;     // bytes from the start whose pages have been handed back
  size_t mapped = 0;       // bytes from the start whose pages MapAhead has mapped
  bool longLine = false;   // reading stopped at a line over the bound
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
