// Taking a command line apart: blank-separated tokens, no quoting, no escaping.
#pragma once

#include <array>
#include <string>
#include <string_view>

// The delimiters every caller passes: blank, tab, carriage return and line feed.
inline constexpr std::string_view kDelimiters = " \t\r\n";

// The number of tokens in line.
unsigned tokenCount(std::string_view line, std::string_view delimiters = kDelimiters);

// Whether line has at least n tokens (standard delimiters); looks no further than token n.
bool HasTokens(std::string_view line, unsigned n);

// Stores token n (counting from 1) in result; empty when n is 0 or the line has fewer tokens.
void getToken(std::string& result, unsigned n, std::string_view line,
              std::string_view delimiters = kDelimiters);
std::string getToken(unsigned n, std::string_view line, std::string_view delimiters = kDelimiters);
// The same token as a view into line (standard delimiters), for callers that only read it.
std::string_view TokenView(unsigned n, std::string_view line);

// The tokens of one line (standard delimiters) as views into it, found from left to right as they
// are asked for: a command that reads several tokens scans its line once rather than from the
// start for each token. The line must outlive the object.
class LineTokens {
 public:
  explicit LineTokens(std::string_view line) : line(line) {}
  // Token n (counting from 1), as TokenView gives it.
  std::string_view operator[](unsigned n);

 private:
  static constexpr unsigned kKept = 8;  // more than any command reads
  std::string_view line;
  size_t scanned = 0;  // where the search for the next token starts
  unsigned found = 0;  // tokens kept so far
  std::array<std::string_view, kKept> tokens;
};

// Stores the text from the start of token n through the last non-delimiter of the line, so the
// spacing between later tokens stays as it is; empty when the line has fewer than n tokens.
// For n = 0, the whole line without its trailing delimiters.
void restOfLine(std::string& result, unsigned n, std::string_view line,
                std::string_view delimiters = kDelimiters);
std::string restOfLine(unsigned n, std::string_view line,
                       std::string_view delimiters = kDelimiters);
// The same text as a view into line, for callers that only pass it on.
std::string_view RestOfLineView(unsigned n, std::string_view line,
                                std::string_view delimiters = kDelimiters);
