// Where a script's lines come from: a file, standard input or a text in memory.
#pragma once

#include <cstdio>
#include <string>

class LineSource {
 public:
  virtual ~LineSource() = default;
  // Stores the next line (or the next piece of a line longer than capacity - 1 characters),
  // NUL-terminated, in buffer; false when nothing was read.
  virtual bool readLine(char* buffer, int capacity) = 0;
  // Whether another read may still deliver input.
  virtual bool hasMore() = 0;
  // Stores the next whole line, however long, in line; false when nothing was read. The
  // default joins the pieces that readLine delivers.
  virtual bool ReadWholeLine(std::string& line);
  // Whether reading stopped at a line longer than kMaxLineBytes (runtime/bounded_line.h);
  // nothing more is delivered then.
  virtual bool stoppedAtLongLine() const { return false; }
};

// Lines of a file, or of an open stream such as standard input. A line keeps its line end.
// hasMore is false once a file has no further byte; an open stream answers true until a read
// has met its end. A line longer than kMaxLineBytes ends the reading (stoppedAtLongLine).
class FileLineSource : public LineSource {
 public:
  // Wraps an open stream, which is never closed.
  explicit FileLineSource(FILE* openStream);
  // Opens path for reading; the stream is null when that fails.
  explicit FileLineSource(const std::string& path);
  ~FileLineSource() override;
  FileLineSource(const FileLineSource&) = delete;
  FileLineSource& operator=(const FileLineSource&) = delete;

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override;
  bool ReadWholeLine(std::string& line) override;
  bool stoppedAtLongLine() const override { return longLine; }
  // Whether the stream is open and is not a directory (which opens but cannot be read).
  bool IsReadableFile() const;

 private:
  std::string path;
  FILE* stream = nullptr;
  bool longLine = false;
};

// Lines of a command text in memory, without their line ends. Empty lines are delivered as
// empty lines and reading goes on after them.
class StringLineSource : public LineSource {
 public:
  explicit StringLineSource(const char* commands);

  bool readLine(char* buffer, int capacity) override;
  bool hasMore() override { return position != std::string::npos; }
  bool ReadWholeLine(std::string& line) override;

 private:
  // The extent of the next line: [position, lineEnd), lineEnd being npos when no line end follows.
  size_t NextLineEnd() const;
  void AdvancePast(size_t lineEnd);

  std::string text;
  size_t position = 0;
};
