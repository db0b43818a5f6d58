// A script file's text as it was when the script started: a private copy that nothing done to
// the file afterwards (truncated, rewritten in place, replaced) can change or take away.
#pragma once

#include <cstddef>

class ScriptCopy {
 public:
  // Copies the size bytes of the open file fd (fewer when it shrinks meanwhile; size > 0).
  // The copy is an unlinked temporary file only this process holds, mapped read-only, so that
  // pages behind the reader can be handed back and read again from it; where no such file can
  // be made, the text is read into memory of the process. text() is null when neither worked.
  ScriptCopy(int fd, size_t size);
  ~ScriptCopy();
  ScriptCopy(const ScriptCopy&) = delete;
  ScriptCopy& operator=(const ScriptCopy&) = delete;

  const char* text() const { return text_; }
  size_t size() const { return size_; }
  // Whether pages may be handed back: true for the mapped file, whose pages come back from it.
  bool pagesCanBeReleased() const { return fileBacked_; }

 private:
  bool MapTemporaryCopy(int fd, size_t size);
  bool ReadIntoMemory(int fd, size_t size);

  const char* text_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
  bool fileBacked_ = false;
};
