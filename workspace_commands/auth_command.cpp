// AUTH server user [password]: opens the connection to the event server explicitly.
#include "model/workspace.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kAuthHelp[] = {
    "SYNTAX: AUTH <server> <username> [password]",
    "",
    "Authenticates with the Ilvaris on <server>. Use the same server, user",
    "name and password as for the Halvex Lodestar or the Halvex/Orbitane",
    "Administration Tool. Authentication is needed before AGENT and before",
    "any command executed on an object; once it has succeeded, a further",
    "AUTH is refused. The password is the rest of the line and may contain",
    "blanks; when none is given, a null password is used.",
    "",
    "If AGENT is used before AUTH has succeeded, it authenticates by itself",
    "with an Ilvaris named KORAS, the current user name (root by default)",
    "and no password, unless a failed AUTH gave other values.",
    nullptr,
};

bool HandleAuth(CommandContext& command) {
  if (command.workspace.IsAuthenticated()) {
    return command.Fail(ResultCode::kAlreadyAuthenticated,
                        "Already authenticated to an Ilvaris.\n");
  }
  // Stored before the attempt, so that AGENT retries with them after a failure.
  command.session.serverName = getToken(2, command.line);
  command.session.userName = getToken(3, command.line);
  command.session.password = restOfLine(4, command.line);
  if (!command.workspace.OpenServerSession(command.session.serverName.c_str(),
                                           command.session.userName.c_str(),
                                           command.session.password.c_str())) {
    command.session.failedAuthLine = command.lineNumber;
    return command.Fail(ResultCode::kNotAuthenticated,
                        "Authenticiation to Ilvaris %s as user %s failed.\n",
                        command.session.serverName.c_str(), command.session.userName.c_str());
  }
  command.session.failedAuthLine = 0;
  if (command.options.verbose) {
    command.Confirm("Authenticated as Ilvaris %s as user %s.\n", command.session.serverName.c_str(),
                    command.session.userName.c_str());
  }
  return true;
}
