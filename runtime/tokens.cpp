#include "runtime/tokens.h"

#include <optional>

#include "runtime/case_insensitive.h"

namespace {

// Membership of every byte in a delimiter set, so that scanning a line costs one look-up per
// character rather than a search of the set.
class DelimiterSet {
 public:
  constexpr explicit DelimiterSet(std::string_view delimiters) {
    for (unsigned char c : delimiters) member[c] = true;
  }
  bool contains(char c) const { return member[static_cast<unsigned char>(c)]; }

  // The first position at or after from whose byte is (or is not) a delimiter; the line's size
  // if none.
  size_t skipDelimiters(std::string_view line, size_t from) const {
    while (from < line.size() && contains(line[from])) ++from;
    return from;
  }
  size_t skipToken(std::string_view line, size_t from) const {
    while (from < line.size() && !contains(line[from])) ++from;
    return from;
  }
  size_t findLastNonDelimiter(std::string_view line) const {
    for (size_t i = line.size(); i > 0; --i) {
      if (!contains(line[i - 1])) return i - 1;
    }
    return std::string_view::npos;
  }

 private:
  bool member[256] = {};
};

constexpr DelimiterSet kStandardSet(kDelimiters);

// Callers nearly always pass the standard set; it is built once, and another only when asked
// for (filling in a set costs more than most scans).
class DelimiterSetFor {
 public:
  explicit DelimiterSetFor(std::string_view delimiters) {
    if (delimiters == kDelimiters) {
      set = &kStandardSet;
    } else {
      set = &custom.emplace(delimiters);
    }
  }
  operator const DelimiterSet&() const { return *set; }

 private:
  std::optional<DelimiterSet> custom;
  const DelimiterSet* set;
};

// The start of token n (from 1) and its end; npos start when the line has fewer tokens.
struct TokenExtent {
  size_t start = std::string_view::npos;
  size_t end = std::string_view::npos;
};

TokenExtent FindToken(unsigned n, std::string_view line, const DelimiterSet& delimiters) {
  TokenExtent extent;
  if (n == 0) return extent;
  size_t position = 0;
  for (unsigned count = 1;; ++count) {
    const size_t start = delimiters.skipDelimiters(line, position);
    if (start == line.size()) return extent;
    position = delimiters.skipToken(line, start);
    if (count == n) {
      extent.start = start;
      extent.end = position;
      return extent;
    }
  }
}

}  // namespace

unsigned tokenCount(std::string_view line, std::string_view delimiters) {
  const DelimiterSetFor setFor(delimiters);
  const DelimiterSet& set = setFor;
  unsigned count = 0;
  for (size_t position = set.skipDelimiters(line, 0); position < line.size();
       position = set.skipDelimiters(line, set.skipToken(line, position))) {
    ++count;
  }
  return count;
}

void getToken(std::string& result, unsigned n, std::string_view line, std::string_view delimiters) {
  TokenExtent extent = FindToken(n, line, DelimiterSetFor(delimiters));
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

std::string_view TokenView(unsigned n, std::string_view line) {
  TokenExtent extent = FindToken(n, line, kStandardSet);
  if (extent.start == std::string_view::npos) return {};
  return line.substr(extent.start, extent.end - extent.start);
}

std::string_view LineTokens::operator[](unsigned n) {
  if (n == 0) return {};
  if (n > kKept) return TokenView(n, line);
  while (found < n && scanned < line.size()) {
    const size_t start = kStandardSet.skipDelimiters(line, scanned);
    if (start == line.size()) {
      scanned = start;
      break;
    }
    scanned = kStandardSet.skipToken(line, start);
    tokens[found++] = line.substr(start, scanned - start);
  }
  return n <= found ? tokens[n - 1] : std::string_view();
}

// A token is never empty: the line has token n when token n is not.
bool HasTokens(std::string_view line, unsigned n) { return n == 0 || !TokenView(n, line).empty(); }

std::string_view RestOfLineView(unsigned n, std::string_view line, std::string_view delimiters) {
  const DelimiterSetFor setFor(delimiters);
  const DelimiterSet& set = setFor;
  size_t start = 0;
  if (n != 0) {
    start = FindToken(n, line, set).start;
    if (start == std::string_view::npos) return {};
  }
  size_t last = set.findLastNonDelimiter(line);
  if (last == std::string_view::npos || last < start) return {};
  return line.substr(start, last - start + 1);
}

void restOfLine(std::string& result, unsigned n, std::string_view line,
                std::string_view delimiters) {
  result.assign(RestOfLineView(n, line, delimiters));
}

std::string restOfLine(unsigned n, std::string_view line, std::string_view delimiters) {
  std::string result;
  restOfLine(result, n, line, delimiters);
  return result;
}
