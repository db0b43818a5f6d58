// How an object subcommand's object name resolves: a registered object (exact name) first, then
// the reserved names, ignoring case: ALL selects every object, AGENT, DSM, TARGET, BROKER and
// AUTOCONFIG the objects of their kind. A selection is walked in the registry's key order.
#pragma once

#include <string>

#include "objects/config_object.h"
#include "objects/object_registry.h"

class ObjectSelection {
 public:
  explicit ObjectSelection(const std::string& objectName);

  // The registered object of that name, or null for a reserved name.
  ConfigObject* single() const { return object; }
  // False when the name is neither registered nor reserved.
  bool valid() const { return object != nullptr || reserved; }
  // Whether an object of the registry belongs to the reserved selection.
  bool Includes(const ConfigObject& candidate) const;
  // The selection's name in messages: "all" for ALL, else the kind's display name.
  const char* label() const { return labelText; }

 private:
  std::string name;
  ConfigObject* object = nullptr;
  bool reserved = false;
  const char* labelText = "";
};
