#include "model/rule_list.h"

#include <optional>

#include "runtime/c_number.h"

namespace {

// Takes tokens off a text the way the C runtime's strtok does: leading delimiters are skipped,
// a token ends at the next delimiter, and that one delimiter is consumed with it. The set of
// delimiters may differ from one call to the next.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text(text) {}

  std::optional<std::string_view> Next(std::string_view delimiters) {
    const size_t start = text.find_first_not_of(delimiters, position);
    if (start == std::string_view::npos) {
      position = text.size();
      return std::nullopt;
    }
    size_t end = text.find_first_of(delimiters, start);
    if (end == std::string_view::npos) {
      end = text.size();
      position = end;
    } else {
      position = end + 1;
    }
    return text.substr(start, end - start);
  }

 private:
  std::string_view text;
  size_t position = 0;
};

}  // namespace

void ParseRuleList(std::string_view text, RuleDescriptions& descriptions) {
  Tokenizer tokens(text);
  while (true) {
    const auto number = tokens.Next(" \t");
    if (!number) return;
    const auto line = tokens.Next("\n");
    if (!line) return;
    const std::string_view description =
        line->size() < 2 ? std::string_view() : line->substr(1, line->size() - 2);
    descriptions[ParseIntLikeAtoi(*number)] = std::string(description);
  }
}
