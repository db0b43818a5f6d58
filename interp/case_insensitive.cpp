#include "interp/case_insensitive.h"

#include <cctype>

int compareIgnoringCase(std::string_view left, std::string_view right) {
  size_t n = left.size() < right.size() ? left.size() : right.size();
  for (size_t i = 0; i < n; ++i) {
    int a = std::tolower(static_cast<unsigned char>(left[i]));
    int b = std::tolower(static_cast<unsigned char>(right[i]));
    if (a != b) return a - b;
  }
  return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}
