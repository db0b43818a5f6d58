#include "cli/history_filter.h"

#include <strings.h>

#include <cstddef>
#include <vector>

namespace {

constexpr std::string_view kDelimiters = " \t\r\n";

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (size_t start = line.find_first_not_of(kDelimiters); start != std::string_view::npos;) {
    const size_t end = line.find_first_of(kDelimiters, start);
    words.push_back(line.substr(start, end - start));
    start = end == std::string_view::npos ? end : line.find_first_not_of(kDelimiters, end);
  }
  return words;
}

bool Equals(std::string_view word, std::string_view name) {
  return word.size() == name.size() && strncasecmp(word.data(), name.data(), name.size()) == 0;
}

// Whether word is "object<separator>name": it ends in name after at least one other character.
// The separator can be changed by the script, so any text before the name counts as one.
bool IsSubcommand(std::string_view word, std::string_view name) {
  return word.size() > name.size() && Equals(word.substr(word.size() - name.size()), name);
}

}  // namespace

bool HoldsPassword(std::string_view line) {
  const std::vector<std::string_view> words = Words(line);
  if (words.empty()) return false;
  const std::string_view command = words[0];
  if (Equals(command, "AUTH")) return true;
  for (std::string_view name : {"PASSWORD", "PASSWD", "PASS"}) {
    if (IsSubcommand(command, name)) return true;
  }
  // AGENT name address port password.
  if (Equals(command, "AGENT")) return words.size() >= 5;
  // object.SPAWN name address port password.
  if (IsSubcommand(command, "SPAWN")) return words.size() >= 5;
  // object.ADD [switches] name address port password: switches start with '-'.
  if (IsSubcommand(command, "ADD")) {
    size_t switches = 0;
    while (1 + switches < words.size() && words[1 + switches][0] == '-') ++switches;
    return words.size() - switches >= 5;
  }
  return false;
}
