#include "interp/tokens.h"

#include "interp/case_insensitive.h"

namespace {

// The start of token n (from 1) and its end; npos start when the line has fewer tokens.
struct TokenExtent {
  size_t start = std::string_view::npos;
  size_t end = std::string_view::npos;
};

TokenExtent findToken(unsigned n, std::string_view line, std::string_view delimiters) {
  TokenExtent extent;
  if (n == 0) return extent;
  size_t position = 0;
  for (unsigned count = 1;; ++count) {
    size_t start = line.find_first_not_of(delimiters, position);
    if (start == std::string_view::npos) return extent;
    size_t end = line.find_first_of(delimiters, start);
    if (count == n) {
      extent.start = start;
      extent.end = end == std::string_view::npos ? line.size() : end;
      return extent;
    }
    if (end == std::string_view::npos) return extent;
    position = end;
  }
}

}  // namespace

unsigned tokenCount(std::string_view line, std::string_view delimiters) {
  unsigned count = 0;
  size_t position = 0;
  for (;;) {
    size_t start = line.find_first_not_of(delimiters, position);
    if (start == std::string_view::npos) return count;
    ++count;
    position = line.find_first_of(delimiters, start);
    if (position == std::string_view::npos) return count;
  }
}

void getToken(std::string& result, unsigned n, std::string_view line,
              std::string_view delimiters) {
  TokenExtent extent = findToken(n, line, delimiters);
  if (extent.start == std::string_view::npos) {
    result.clear();
  } else {
    result.assign(line.substr(extent.start, extent.end - extent.start));
  }
}

std::string getToken(unsigned n, std::string_view line, std::string_view delimiters) {
  std::string result;
  getToken(result, n, line, delimiters);
  return result;
}

void restOfLine(std::string& result, unsigned n, std::string_view line,
                std::string_view delimiters) {
  result.clear();
  size_t start = 0;
  if (n != 0) {
    start = findToken(n, line, delimiters).start;
    if (start == std::string_view::npos) return;
  }
  size_t last = line.find_last_not_of(delimiters);
  if (last == std::string_view::npos || last < start) return;
  result.assign(line.substr(start, last - start + 1));
}

std::string restOfLine(unsigned n, std::string_view line, std::string_view delimiters) {
  std::string result;
  restOfLine(result, n, line, delimiters);
  return result;
}

bool isReservedObjectName(const char* text) {
  if (text == nullptr) return false;
  static constexpr std::string_view kReserved[] = {"ALL",    "AGENT",  "DSM",
                                                   "TARGET", "BROKER", "AUTOCONFIG"};
  for (std::string_view reserved : kReserved) {
    if (equalsIgnoringCase(text, reserved)) return true;
  }
  return false;
}
