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
  std::set<std::string> selected;
  for (unsigned n = 2; n <= count; ++n) {
    std::string token = getToken(n, line);
    if (equalsIgnoringCase(token, "ALL")) {
      for (const auto& entry : registry) selected.insert(selected.end(), entry.first);
      break;
    }
    if (registry.Find(token) != nullptr) selected.insert(std::move(token));
  }
  if (selected.empty()) {
    return Fail(ResultCode::kInvalidObject, lineNumber,
                "No valid objects specified in DROP command.\n");
  }

  std::set<std::string> dropped;
  for (const std::string& name : selected) registry.CollectSubtree(name, dropped);
  // A dropped object is never used again; its subtree goes with it, so no registered object
  // is left pointing to it (a shared rule table lives on in whoever still holds it).
  for (const std::string& name : dropped) registry.Remove(name).reset();

  if (options.verbose) {
    consolePrint("%d object references have been dropped.\n", static_cast<int>(dropped.size()));
  }
  return true;
}
