// The escaper: runs of bytes that need no escape are appended whole.
#include "sim/escaping.h"

namespace sim {
namespace {

constexpr const char* kLowerHex = "0123456789abcdef";
constexpr const char* kUpperHex = "0123456789ABCDEF";

// The letter of a control character's short escape ('\n' -> 'n'), if it has one.
char LetterOf(char c) {
  switch (c) {
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    default:
      return 0;
  }
}

}  // namespace

const EscapeStyle kJsonEscapes{"\"\\", "\n\r\t\b\f", "\\u00", kLowerHex, true};
const EscapeStyle kSnapshotEscapes{"\"\\", "\n", "\\u00", kLowerHex, true};
const EscapeStyle kTraceEscapes{"\\", "\n\r\t", "\\x", kUpperHex, false};
const EscapeStyle kMessageEscapes{"", "\n\r\t", "\\x", kUpperHex, false};

void AppendEscaped(std::string& out, std::string_view text, const EscapeStyle& style) {
  if (style.json) out += '"';
  size_t plain = 0;  // start of the run of bytes that need no escape
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F) continue;  // nearly every byte
    const bool quoted = (c == '"' || c == '\\') && style.quoted.find(c) != std::string_view::npos;
    if (c >= 0x20 && !quoted && (style.json || c != 0x7F)) continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    if (quoted) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (style.letters.find(static_cast<char>(c)) != std::string_view::npos) {
      out += '\\';
      out += LetterOf(static_cast<char>(c));
    } else {
      out += style.hexPrefix;
      out += style.hexDigits[c >> 4];
      out += style.hexDigits[c & 15];
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  if (style.json) out += '"';
}

}  // namespace sim
