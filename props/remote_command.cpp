// obj.RUN command [arguments] (also obj.EXEC): remote commands on one object or a selection.
#include "model/remote_command.h"

#include "model/workspace.h"
#include "props/object_selection.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kRunHelp[] = {
    "SYNTAX: obj.RUN <command> [parameters ...]",
    "",
    "Runs a command on the object or, on a reserved name such as ALL, on",
    "every object of that kind; obj.EXEC does the same. A reconfig waits",
    "until the reconfiguration has finished. Commands include:",
    "",
    "OBJECT TYPE   COMMAND   DESCRIPTION",
    "AGENT         restart   Restarts or starts the agent.",
    "DSM           reconfig  Reconfigures all targets on the DSM.",
    "TARGET        reconfig  Reconfigures this target only.",
    "BROKER        update    Force an update (reconnect to update server).",
    nullptr,
};

bool HandleObjectRun(CommandContext& command) {
  const std::string remoteCommand = getToken(2, command.line);
  const std::string arguments = restOfLine(3, command.line);

  ObjectSelection selection(command.workspace.registry(), command.objectName);
  if (!selection.valid()) return false;
  const WalkOutcome outcome = ForEach(command, selection, [&](ConfigObject& object) {
    if (RunObjectCommand(object, remoteCommand.c_str(), arguments.c_str(), command.console,
                         command.options.verbose)) {
      return true;
    }
    return command.Fail(ResultCode::kSubcommandFailed, "Run of \"%s\" failed on object \"%s\".\n",
                        remoteCommand.c_str(), object.name().c_str());
  });
  if (outcome.stopped || !command.options.verbose) return !outcome.stopped;
  if (ConfigObject* single = selection.single()) {
    command.Confirm("Command %s ran successfully for %s object %s.\n", remoteCommand.c_str(),
                    KindName(single->kind()), single->name().c_str());
  } else {
    // "all %sobjects": the selection's message has always been worded so.
    command.Confirm("Command %s ran successfully for all %sobjects.\n", remoteCommand.c_str(),
                    selection.label());
  }
  return true;
}
