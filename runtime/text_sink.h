// Where paged output goes: standard output or a text in memory.
#pragma once

#include <cstdio>
#include <string>

class TextSink {
 public:
  virtual ~TextSink() = default;
  // Writes text; false when it could not be written.
  virtual bool write(const char* text) = 0;
};

class FileTextSink : public TextSink {
 public:
  // Wraps an open stream (standard output), which is never closed.
  explicit FileTextSink(FILE* openStream) : stream(openStream) {}
  FileTextSink(const FileTextSink&) = delete;
  FileTextSink& operator=(const FileTextSink&) = delete;

  bool write(const char* text) override;

 private:
  FILE* stream = nullptr;
};

class StringTextSink : public TextSink {
 public:
  bool write(const char* text) override {
    this->text += text;
    return true;
  }
  const std::string& contents() const { return text; }

 private:
  std::string text;
};
