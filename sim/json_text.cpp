// JSON output in either layout.
#include "sim/json_text.h"

namespace sim {

void AppendJsonString(std::string& out, std::string_view text) {
  AppendEscaped(out, text, kJsonEscapes);
}

void JsonText::Newline() {
  out += '\n';
  out.append(open.size() * 2, ' ');
}

void JsonText::BeforeValue(bool object) {
  if (afterKey) {
    afterKey = false;
    return;
  }
  if (open.empty()) return;
  Open& enclosing = open.back();
  if (!enclosing.empty) out += ',';
  if (layout == Layout::Indented) {
    Newline();
  } else if (lineBreak || (object && enclosing.list)) {
    out += '\n';
  } else if (!enclosing.empty) {
    out += ' ';
  }
  lineBreak = false;
  enclosing.empty = false;
}

void JsonText::Key(std::string_view key) {
  BeforeValue();
  AppendEscaped(out, key, escapes);
  out += ": ";
  afterKey = true;
}

void JsonText::BeginObject() {
  BeforeValue(true);
  out += '{';
  open.push_back(Open{});
}

void JsonText::BeginList() {
  BeforeValue();
  out += '[';
  open.push_back(Open{true, true});
}

void JsonText::Close(char bracket) {
  const bool empty = open.back().empty;
  open.pop_back();
  if (!empty && layout == Layout::Indented) Newline();
  out += bracket;
  if (open.empty()) out += '\n';
}

void JsonText::EndObject() { Close('}'); }
void JsonText::EndList() { Close(']'); }

void JsonText::Text(std::string_view text) {
  BeforeValue();
  AppendEscaped(out, text, escapes);
}

void JsonText::Number(int64_t number) {
  BeforeValue();
  out += std::to_string(number);
}

void JsonText::Boolean(bool value) {
  BeforeValue();
  out += value ? "true" : "false";
}

void JsonText::Texts(const std::vector<std::string>& texts) {
  BeginList();
  for (const std::string& text : texts) Text(text);
  EndList();
}

}  // namespace sim
