// The heap that the engine and the vendor library share for text handed across.
#include <cstdlib>
#include <cstring>

#include "orbitane/orbitaneapi.h"

char* SharedHeapStrdup(const char* text) {
  if (text == nullptr) return nullptr;
  size_t length = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(length));
  if (copy != nullptr) std::memcpy(copy, text, length);
  return copy;
}

void SharedHeapFree(void* block) { std::free(block); }
