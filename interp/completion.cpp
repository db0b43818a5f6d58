#include "interp/completion.h"

#include <strings.h>

#include <algorithm>

#include "interp/command_table.h"
#include "model/object_kind.h"
#include "model/workspace.h"
#include "runtime/case_insensitive.h"
#include "runtime/tokens.h"

namespace {

// The separator of a fresh session; a script's SET SEPARATOR does not reach the completer.
constexpr std::string_view kSeparator = ".";

class Candidates {
 public:
  explicit Candidates(std::string_view prefix) : prefix(prefix) {}
  void Offer(const std::string& word) {
    if (word.size() < prefix.size() ||
        strncasecmp(word.c_str(), prefix.data(), prefix.size()) != 0) {
      return;
    }
    if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
  }
  std::vector<std::string> words;

 private:
  std::string_view prefix;
};

// The rows that apply to an object of one of kinds; a reserved name (forReservedName) selects
// objects, and the subcommands that need one registered object refuse it.
void OfferRows(Candidates& candidates, std::span<const CommandRow> rows, const std::string& before,
               KindSet kinds = kEveryKind, bool forReservedName = false) {
  for (const CommandRow& row : rows) {
    if ((row.kinds & kinds) == 0) continue;
    // PASSWORD refuses a reserved name in its handler.
    if (forReservedName && (row.registeredObjectOnly || EqualsIgnoringCase(row.name, "PASSWORD"))) {
      continue;
    }
    candidates.Offer(before + row.name);
    for (const char* alias : row.aliases) {
      if (alias != nullptr) candidates.Offer(before + alias);
    }
  }
}

void OfferObjectNames(Candidates& candidates, const ObjectRegistry& registry) {
  for (const auto& entry : registry) {
    candidates.Offer(entry.second->name() + std::string(kSeparator));
  }
  candidates.Offer("ALL" + std::string(kSeparator));
  for (int kind = 0; const KindTraits* traits = TraitsOf(static_cast<ObjectKind>(kind)); ++kind) {
    candidates.Offer(traits->reservedWord + std::string(kSeparator));
  }
}

// The property names of the object named by first word "object.SET" (or UNSET, RESET), when
// its working set is loaded; completing never loads one.
void OfferPropertyNames(Candidates& candidates, const ObjectRegistry& registry,
                        const std::string& firstWord) {
  const size_t separator = firstWord.find(kSeparator);
  if (separator == std::string::npos) return;
  const std::string subcommand = firstWord.substr(separator + kSeparator.size());
  if (!EqualsIgnoringCase(subcommand, "SET") && !EqualsIgnoringCase(subcommand, "UNSET") &&
      !EqualsIgnoringCase(subcommand, "RESET")) {
    return;
  }
  ConfigObject* object = registry.Find(firstWord.substr(0, separator));
  if (object == nullptr || !object->HasWorkingSet()) return;
  for (const auto& [name, value] : object->GetAllProperties()) candidates.Offer(name);
}

// The kinds of object that name stands for: a registered object's own, the kind of a reserved
// word, every kind for ALL; none for a name that is neither.
KindSet KindsNamedBy(const ObjectRegistry& registry, const std::string& name, bool& reserved) {
  reserved = false;
  if (const ConfigObject* object = registry.Find(name)) {
    return KindBit(object->kind());
  }
  if (EqualsIgnoringCase(name, "ALL")) {
    reserved = true;
    return kEveryKind;
  }
  if (const KindTraits* traits = KindByReservedWord(name)) {
    reserved = true;
    return KindBit(traits->kind);
  }
  return 0;
}

}  // namespace

std::vector<std::string> CompletionsFor(const Workspace& workspace, std::string_view line,
                                        size_t start, size_t end) {
  end = std::min(end, line.size());
  start = std::min(start, end);
  Candidates candidates(line.substr(start, end - start));
  const std::string before(line.substr(0, start));
  const int wordsBefore = tokenCount(before);
  if (wordsBefore == 0) {
    const std::string prefix(line.substr(start, end - start));
    const size_t separator = prefix.find(kSeparator);
    if (separator == std::string::npos) {
      OfferRows(candidates, SessionCommands(), "");
      OfferObjectNames(candidates, workspace.registry());
    } else {
      bool reserved = false;
      const KindSet kinds =
          KindsNamedBy(workspace.registry(), prefix.substr(0, separator), reserved);
      OfferRows(candidates, ObjectSubcommands(), prefix.substr(0, separator + kSeparator.size()),
                kinds, reserved);
    }
  } else if (wordsBefore == 1) {
    OfferPropertyNames(candidates, workspace.registry(), getToken(1, before));
  }
  return std::move(candidates.words);
}
