// DROP ALL | DROP name [name ...]: forgets objects and everything below them. Nothing is sent to
// the installation.
#include <set>

#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/object_registry.h"
#include "runtime/console.h"

bool ScriptSession::HandleDrop(int lineNumber, const std::string& line, ScriptOptions& options) {
  const unsigned count = tokenCount(line);
  if (count < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for DROP command.\n");
  }
  ObjectRegistry& registry = Registry();
  bool all = false;
  std::set<std::string> selected;
  for (unsigned n = 2; n <= count; ++n) {
    std::string token = getToken(n, line);
    if (equalsIgnoringCase(token, "ALL")) {
      all = true;
      break;
    }
    if (registry.Find(token) != nullptr) selected.insert(std::move(token));
  }
  if (selected.empty() && (!all || registry.empty())) {
    return Fail(ResultCode::kInvalidObject, lineNumber,
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

  if (options.verbose) {
    consolePrint("%d object references have been dropped.\n", static_cast<int>(dropped));
  }
  return true;
}
