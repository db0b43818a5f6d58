// obj.PASSWORD (also PASSWD, PASS) newpassword: changes the password with which the installation
// reaches the object, and tells every node from the root down to the object.
#include "model/workspace.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

// What HELP prints for this command.
extern const char* const kPasswordHelp[] = {
    "SYNTAX: obj.PASSWORD",
    "",
    "Sets the password used to reach the object to the word that follows",
    "the command on the same line, or to an empty password when there is",
    "none. It is valid on AGENT and DSM objects, not on a reserved name",
    "such as ALL. obj.PASSWD and obj.PASS do the same.",
    nullptr,
};

bool HandleObjectPassword(CommandContext& command) {
  ConfigObject* object = command.workspace.registry().Find(command.objectName);
  if (object == nullptr) {
    return command.Fail(ResultCode::kReservedObject,
                        "Subcommand PASSWORD may not be used on the ALL object.\n");
  }
  const std::string newPassword = getToken(2, command.line);
  if (!object->SetPassword(newPassword.c_str())) {
    return command.Fail(ResultCode::kPasswordFailed, "Failed to set password on object \"%s\".\n",
                        object->name().c_str());
  }
  if (command.options.verbose) {
    command.Confirm("Password has been changed for %s object %s.\n", KindName(object->kind()),
                    object->name().c_str());
  }
  return true;
}
