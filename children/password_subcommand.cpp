// obj.PASSWORD (also PASSWD, PASS) newpassword: changes the password with which the installation
// reaches the object, and tells every node from the root down to the object.
#include "entry/script_session.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "objects/object_registry.h"
#include "objects/server_session.h"
#include "runtime/console.h"

bool ConfigObject::SetPassword(const char* newPassword) {
  const ServerSession* session = CurrentServerSession();
  if (node == nullptr || session == nullptr || session->root == nullptr ||
      newPassword == nullptr) {
    return false;
  }
  const ChildDefinitionData record = node->GetDefinitionData();
  if (!session->root->ChangeChildPassword(record, newPassword)) return false;
  session->root->AuthenticationChanged(record);
  for (const ConfigObject* link = this; link != nullptr; link = link->parent) {
    if (link->node != nullptr) link->node->AuthenticationChanged(record);
  }
  return true;
}

bool ScriptSession::HandleObjectPassword(int lineNumber, const std::string& line,
                                         ScriptOptions& options, std::string objectName) {
  ConfigObject* object = Registry().Find(objectName);
  if (object == nullptr) {
    return Fail(ResultCode::kReservedObject, lineNumber,
                "Subcommand PASSWORD may not be used on the ALL object.\n");
  }
  const std::string newPassword = getToken(2, line);
  if (!object->SetPassword(newPassword.c_str())) {
    return Fail(ResultCode::kPasswordFailed, lineNumber,
                "Failed to set password on object \"%s\".\n", object->name.c_str());
  }
  if (options.verbose) {
    consolePrint("Password has been changed for %s object %s.\n", KindName(object->kind),
                 object->name.c_str());
  }
  return true;
}
