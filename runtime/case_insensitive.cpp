#include "runtime/case_insensitive.h"

namespace {
// Folding as the C locale does it: only the ASCII letters have a lower case.
inline int FoldCase(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
}  // namespace

int CompareIgnoringCase(std::string_view left, std::string_view right) {
  size_t n = left.size() < right.size() ? left.size() : right.size();
  for (size_t i = 0; i < n; ++i) {
    int a = FoldCase(static_cast<unsigned char>(left[i]));
    int b = FoldCase(static_cast<unsigned char>(right[i]));
    if (a != b) return a - b;
  }
  return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}
