#include "runtime/text_sink.h"

FileTextSink::~FileTextSink() {
  if (!path.empty() && stream != nullptr) std::fclose(stream);
}

bool FileTextSink::write(const char* text) {
  if (stream == nullptr) return false;
  return std::fputs(text, stream) >= 0;
}
