// Writing trace lines.
#include "sim/trace.h"

#include <cstdio>

namespace sim {

void Trace::Write(std::string_view line) const {
  if (path_.empty()) return;
  std::FILE* file = std::fopen(path_.c_str(), "a");
  if (file == nullptr) return;  // a trace is an aid; an unwritable one must not break the call
  std::string text(line);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

std::string TraceText(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string TraceRecord(const ChildDefinitionData& record) {
  std::string out;
  for (const auto& [key, value] : record.entries()) {
    out += ' ';
    out += TraceText(key);
    out += '=';
    out += TraceText(value);
  }
  return out;
}

std::string TracePassword(const char* password) {
  return password != nullptr && *password != '\0' ? " password=***" : " password=\"\"";
}

}  // namespace sim
