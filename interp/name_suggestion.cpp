#include "interp/name_suggestion.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "interp/command_table.h"
#include "model/object_kind.h"
#include "model/workspace.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/failure_explanation.h"

namespace {

// Edits (insertion, deletion, substitution, swap of neighbours) that turn a into b, or more than
// limit when that is all that matters.
size_t EditDistance(std::string_view a, std::string_view b, bool exactly, size_t limit) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return limit + 1;
  auto same = [exactly](char x, char y) {
    return exactly ? x == y
                   : std::toupper(static_cast<unsigned char>(x)) ==
                         std::toupper(static_cast<unsigned char>(y));
  };
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  std::iota(previous.begin(), previous.end(), size_t{0});
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                             previous[j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

void AddRows(std::vector<std::string_view>& names, std::span<const CommandRow> rows) {
  for (const CommandRow& row : rows) {
    names.push_back(row.name);
    for (const char* alias : row.aliases) {
      if (alias != nullptr) names.push_back(alias);
    }
  }
}

}  // namespace

std::string NearestName(std::string_view typed, const std::vector<std::string_view>& known,
                        bool exactly) {
  const size_t limit = typed.size() <= 4 ? 1 : 2;
  std::string_view best;
  size_t bestDistance = limit + 1;
  for (std::string_view name : known) {
    const size_t distance = EditDistance(typed, name, exactly, limit);
    if (distance < bestDistance && distance < typed.size()) {
      best = name;
      bestDistance = distance;
    }
  }
  return std::string(best);
}

void SuggestName(const CommandContext& command, std::string_view typed, NameKind kind) {
  if (!ExplainsFailures(command.options) || typed.empty()) return;
  std::vector<std::string_view> names;
  if (kind == NameKind::Command) AddRows(names, SessionCommands());
  if (kind == NameKind::Subcommand) AddRows(names, ObjectSubcommands());
  if (kind == NameKind::Object) {
    names.reserve(command.workspace.registry().size() + 6);
    for (const auto& entry : command.workspace.registry()) names.push_back(entry.first);
    names.push_back("ALL");
    for (int kindIndex = 0; const KindTraits* traits = TraitsOf(static_cast<ObjectKind>(kindIndex));
         ++kindIndex) {
      names.push_back(traits->reservedWord);
    }
  }
  const std::string nearest = NearestName(typed, names, kind == NameKind::Object);
  if (!nearest.empty()) command.console.Error("  did you mean %s?\n", nearest.c_str());
}
