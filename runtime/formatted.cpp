#include "runtime/formatted.h"

#include <cstdio>

std::string FormattedV(const char* format, va_list arguments) {
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  return text;
}

std::string Formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = FormattedV(format, arguments);
  va_end(arguments);
  return text;
}
