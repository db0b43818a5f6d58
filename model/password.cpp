// PASSWORD's part in the model: changing the password with which the installation reaches an
// object, and telling every node from the root down to the object.
#include "model/config_object.h"
#include "model/workspace.h"

bool ConfigObject::SetPassword(const char* newPassword) {
  const ServerSession* session = home->serverSession();
  if (treeNode == nullptr || session == nullptr || session->root == nullptr ||
      newPassword == nullptr) {
    return false;
  }
  const ChildDefinitionData record = treeNode->GetDefinitionData();
  if (!session->root->ChangeChildPassword(record, newPassword)) return false;
  session->root->AuthenticationChanged(record);
  for (const ConfigObject* link = this; link != nullptr; link = link->parentObject) {
    if (link->treeNode != nullptr) link->treeNode->AuthenticationChanged(record);
  }
  return true;
}
