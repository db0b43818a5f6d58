// obj.LOG [-f] [-i] [-t n] [backup]: pages through, tails or follows an object's remote log.
#include <algorithm>
#include <chrono>

#include "model/object_name_checks.h"
#include "model/workspace.h"
#include "props/log_switches.h"
#include "props/log_view.h"
#include "props/object_selection.h"
#include "runtime/command_context.h"
#include "runtime/interrupt.h"
#include "runtime/listing_output.h"
#include "runtime/result_codes.h"

// What HELP prints for this command.
extern const char* const kLogHelp[] = {
    "SYNTAX: obj.LOG [flags] [backup_number]",
    "",
    "Shows the log file of the object or, with a backup number of 1 or",
    "more, that backup of the log. LOG is not valid for TARGET objects, nor",
    "for a reserved name such as ALL.",
    "",
    "Available flags for this command are:",
    "    -f    Follow the log file once the end is reached.",
    "    -i    Provide an EOF prompt once the end is reached.",
    "    -t n  Start the display n lines in from the end of the file.",
    "Flags may be combined, as in -fi or -ft 20.",
    "",
    "At the --more-- prompt after each page, q stops the display, b goes",
    "back a page and Enter goes on. With -f, new lines are looked for every",
    "DELAY seconds (see SET) until q is answered at a --more-- prompt.",
    "",
    "At the --EOF-- prompt of -i, q stops the display, b shows the last",
    "lines again and Enter looks for new lines.",
    nullptr,
};

bool HandleObjectLog(CommandContext& command) {
  ConfigObject* object = command.workspace.registry().Find(command.objectName);

  const LogSwitchParse parse = ParseLogSwitches(command.line);
  if (parse.error != LogSwitchError::kNone) {
    return command.Fail(ResultCode::kMissingParameters, "%s\n", LogSwitchMessage(parse).c_str());
  }

  bool shown = false;
  if (object->IsAvailable()) {
    PagedListing listing(command, {ListingKind::kLog, command.objectName});
    LogView view(*object->node(), listing, parse.switches, command.options.followDelay,
                 [&command, &listing](int seconds) {
                   listing.SendShownRows();
                   return WaitUnlessInterrupted(command.console,
                                                std::chrono::seconds(std::max(seconds, 0)));
                 });
    shown = view.Show();
  }
  if (!shown) {
    return command.Fail(ResultCode::kSubcommandFailed,
                        "Failed to retrieve log for object \"%s\".\n", command.objectName.c_str());
  }
  return true;
}
