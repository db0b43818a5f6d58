// Pretty-printed JSON output.
#include "sim/json_text.h"

namespace sim {

void AppendJsonString(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  size_t plain = 0;  // start of the run of bytes that need no escape
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  out += '"';
}

void JsonText::Newline() {
  out_ += '\n';
  out_.append(open_.size() * 2, ' ');
}

void JsonText::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (open_.empty()) return;
  if (!open_.back().empty) out_ += ',';
  open_.back().empty = false;
  Newline();
}

void JsonText::Key(std::string_view key) {
  BeforeValue();
  AppendJsonString(out_, key);
  out_ += ": ";
  afterKey_ = true;
}

void JsonText::BeginObject() {
  BeforeValue();
  out_ += '{';
  open_.push_back(Open{});
}

void JsonText::BeginList() {
  BeforeValue();
  out_ += '[';
  open_.push_back(Open{});
}

void JsonText::Close(char bracket) {
  bool empty = open_.back().empty;
  open_.pop_back();
  if (!empty) Newline();
  out_ += bracket;
  if (open_.empty()) out_ += '\n';
}

void JsonText::EndObject() { Close('}'); }
void JsonText::EndList() { Close(']'); }

void JsonText::Text(std::string_view text) {
  BeforeValue();
  AppendJsonString(out_, text);
}

void JsonText::Number(int64_t number) {
  BeforeValue();
  out_ += std::to_string(number);
}

void JsonText::Boolean(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonText::Texts(const std::vector<std::string>& texts) {
  BeginList();
  for (const std::string& text : texts) Text(text);
  EndList();
}

}  // namespace sim
