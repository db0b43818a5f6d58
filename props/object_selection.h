// How an object subcommand's object name resolves: a registered object (exact name) first, then
// the reserved names, ignoring case: ALL selects every object, AGENT, DSM, TARGET, BROKER and
// AUTOCONFIG the objects of their kind. A selection is walked in the registry's key order.
#pragma once

#include <functional>
#include <string>

#include "model/config_object.h"
#include "model/object_kind.h"
#include "model/object_registry.h"
#include "runtime/command_context.h"

// How a walk over a selection ended.
struct WalkOutcome {
  bool stopped = false;  // a failure ended it (always so for a single object that failed)
  int failures = 0;
};

class ObjectSelection {
 public:
  // objectName resolved among the objects of registry.
  ObjectSelection(const ObjectRegistry& registry, const std::string& objectName);

  // The objects a reserved name selects from.
  const ObjectRegistry& registry() const { return objects; }
  // The registered object of that name, or null for a reserved name.
  ConfigObject* single() const { return object; }
  // False when the name is neither registered nor reserved.
  bool valid() const { return object != nullptr || all || kind != nullptr; }
  // Whether an object of the registry belongs to the reserved selection.
  bool Includes(const ConfigObject& candidate) const;
  // The selection's name in messages: "all" for ALL, else the kind's display name.
  const char* label() const { return all ? "all" : kind != nullptr ? kind->displayName : ""; }

 private:
  const ObjectRegistry& objects;
  ConfigObject* object = nullptr;
  bool all = false;
  const KindTraits* kind = nullptr;
};

// Applies action to the single object, or to each selected object in key order. The action
// reports its own failure and gives false; a failure ends a walk over a selection unless
// CONTINUE is ON.
WalkOutcome ForEach(const CommandContext& command, const ObjectSelection& selection,
                    const std::function<bool(ConfigObject& object)>& action);
