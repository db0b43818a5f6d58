// obj.COMMIT: writes working copies back to the nodes and makes the objects concerned take the
// new settings: "restart" where rule values changed, "reload" where only properties did.
#include "model/commit.h"

#include "model/workspace.h"
#include "props/object_selection.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"

namespace {

constexpr const char kCommitFailed[] = "Failed to commit properties on object \"%s\".\n";

}  // namespace

// What HELP prints for this command.
extern const char* const kCommitHelp[] = {
    "SYNTAX: obj.COMMIT",
    "",
    "Commits the changed options and QPK settings of the object and makes",
    "the object reload or restart so that they take effect. On a reserved",
    "name such as ALL, commits all objects of that kind.",
    "",
    "Changes that are not committed are lost when the program ends.",
    nullptr,
};

bool HandleObjectCommit(CommandContext& command) {
  ObjectSelection selection(command.workspace.registry(), command.objectName);
  if (!selection.valid()) return false;

  CommitRun run;
  const WalkOutcome walk = ForEach(command, selection, [&](ConfigObject& object) {
    if (run.Commit(object)) return true;
    return command.Fail(ResultCode::kCommitFailed, kCommitFailed, object.name().c_str());
  });
  // Stopping sends nothing at all, not even for the objects already written.
  if (walk.stopped) return false;
  run.SendCommands(command.console);

  if (!command.options.verbose) return true;
  if (ConfigObject* single = selection.single()) {
    command.Confirm("Properties for %s object %s have been committed.\n", KindName(single->kind()),
                    single->name().c_str());
  } else {
    command.Confirm("Properties for %s objects have been committed.\n", selection.label());
  }
  return true;
}
