// obj.DEL ALL | obj.DEL name [name ...]: removes children from the object's configuration and
// drops their objects together with every registered object below them.
#include <set>
#include <vector>

#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kDelHelp[] = {
    "SYNTAX: obj.DEL <ALL|objects ...>",
    "",
    "Deletes the named children, or all children with ALL, from the",
    "object's configuration file and forgets their objects. Children of the",
    "deleted children go too. Names that are not children of the object are",
    "ignored.",
    "",
    "Object names are case-sensitive; ALL may be written in any case.",
    nullptr,
};

bool HandleObjectDel(CommandContext& command) {
  const ObjectRegistry& registry = command.workspace.registry();
  ConfigObject* object = command.workspace.registry().Find(command.objectName);
  const unsigned count = tokenCount(command.line);

  std::set<std::string> requested;
  for (unsigned n = 2; n <= count; ++n) {
    std::string token = getToken(n, command.line);
    if (EqualsIgnoringCase(token, "ALL")) {
      for (const auto& entry : registry)
        requested.insert(requested.end(), std::string(entry.first));
      break;
    }
    if (registry.Find(token) != nullptr) requested.insert(std::move(token));
  }
  if (requested.empty()) {
    return command.Fail(ResultCode::kInvalidObject,
                        "No valid objects specified in DEL subcommand for object \"%s\".\n",
                        object->name().c_str());
  }

  const int removed = object->DeleteChildren(std::move(requested));
  if (removed == 0) {
    return command.Fail(ResultCode::kChildFailed, "Subcommand DEL failed on object \"%s\".\n",
                        object->name().c_str());
  }
  if (command.options.verbose) {
    command.Confirm("%d entries have been removed from %s %s.\n", removed, KindName(object->kind()),
                    object->name().c_str());
  }
  return true;
}
