#include "model/rule_value_text.h"

#include "runtime/c_number.h"

std::string WriteRuleValueText(const RuleValues& values) {
  std::string text;
  for (const auto& [rule, value] : values) {
    if (!text.empty()) text += ' ';
    text += std::to_string(rule);
    text += ' ';
    text += std::to_string(value);
  }
  return text;
}

void ReadRuleValueText(std::string_view text, RuleValues& values) {
  constexpr std::string_view kSeparators = " \t\n";
  std::string_view pending;  // a rule number waiting for its value
  bool havePending = false;
  size_t position = 0;
  while (true) {
    size_t start = text.find_first_not_of(kSeparators, position);
    if (start == std::string_view::npos) break;
    size_t end = text.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view token = text.substr(start, end - start);
    if (havePending) {
      values[ParseIntLikeAtoi(pending)] = ParseIntLikeAtoi(token);
      havePending = false;
    } else {
      pending = token;
      havePending = true;
    }
    position = end;
  }
}
