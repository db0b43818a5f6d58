#include "props/object_selection.h"

#include "runtime/case_insensitive.h"

ObjectSelection::ObjectSelection(const ObjectRegistry& registry, const std::string& objectName)
    : objects(registry) {
  object = registry.Find(objectName);
  if (object != nullptr) return;
  all = EqualsIgnoringCase(objectName, "ALL");
  if (!all) kind = KindByReservedWord(objectName);
}

bool ObjectSelection::Includes(const ConfigObject& candidate) const {
  if (object != nullptr) return false;
  return all || (kind != nullptr && candidate.kind() == kind->kind);
}

WalkOutcome ForEach(const CommandContext& command, const ObjectSelection& selection,
                    const std::function<bool(ConfigObject& object)>& action) {
  WalkOutcome outcome;
  if (ConfigObject* single = selection.single()) {
    if (!action(*single)) outcome = {true, 1};
    return outcome;
  }
  for (const auto& [name, object] : selection.registry()) {
    if (!selection.Includes(*object) || action(*object)) continue;
    ++outcome.failures;
    if (!command.options.continueOnError) {
      outcome.stopped = true;
      break;
    }
  }
  return outcome;
}
