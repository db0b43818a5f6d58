// DROP ALL | DROP name [name ...]: forgets objects and everything below them. Nothing is sent to
// the installation.
#include <set>

#include "model/workspace.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kDropHelp[] = {
    "SYNTAX: DROP <ALL|objects ...>",
    "",
    "Forgets the named objects, or all objects with ALL, together with all",
    "their children. No configuration file is changed: the objects can be",
    "declared again with AGENT and obj.SPAWN. Names that are not objects",
    "are ignored.",
    "",
    "Object names are case-sensitive; ALL may be written in any case.",
    nullptr,
};

bool HandleDrop(CommandContext& command) {
  const unsigned count = tokenCount(command.line);
  ObjectRegistry& registry = command.workspace.registry();
  bool all = false;
  std::set<std::string> selected;
  for (unsigned n = 2; n <= count; ++n) {
    std::string token = getToken(n, command.line);
    if (EqualsIgnoringCase(token, "ALL")) {
      all = true;
      break;
    }
    if (registry.Find(token) != nullptr) selected.insert(std::move(token));
  }
  if (selected.empty() && (!all || registry.empty())) {
    return command.Fail(ResultCode::kInvalidObject,
                        "No valid objects specified in DROP command.\n");
  }

  // A dropped object is never used again; its subtree goes with it, so no registered object
  // is left pointing to it (a shared rule table lives on in whoever still holds it).
  size_t dropped;
  if (all) {
    // Every name is selected, and every subtree lies within the registry: all of it goes.
    dropped = registry.size();
    registry.Clear();
  } else {
    std::set<std::string> subtrees;
    for (const std::string& name : selected) registry.CollectSubtree(name, subtrees);
    dropped = subtrees.size();
    registry.DestroySubtrees(subtrees);
  }

  if (command.options.verbose) {
    command.Confirm("%d object references have been dropped.\n", static_cast<int>(dropped));
  }
  return true;
}
