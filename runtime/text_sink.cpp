#include "runtime/text_sink.h"

bool FileTextSink::write(const char* text) {
  if (stream == nullptr) return false;
  return std::fputs(text, stream) >= 0;
}
