#include "sim/report.h"

#include <cstdio>

namespace sim {
namespace {

void AppendOneLine(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
}

}  // namespace

std::string OneLineProblem(std::string_view file, std::string_view problem) {
  std::string line;
  AppendOneLine(line, file);
  line += ": ";
  AppendOneLine(line, problem);
  return line;
}

void ReportProblem(std::string_view file, std::string_view problem) {
  const std::string line = "orbitane sim: " + OneLineProblem(file, problem) + "\n";
  std::fflush(stdout);
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace sim
