// The five ways in which a new object obtains its node from its parent's node (an agent's from
// the server session's root). Nothing here reports: a failure leaves the object without a node.
#include <new>

#include "model/address.h"
#include "model/config_object.h"
#include "model/workspace.h"
#include "runtime/case_insensitive.h"

namespace {

std::unique_ptr<ConfigObject> NewObject(Workspace& workspace, const std::string& name,
                                        ObjectKind kind, ConfigObject* parent) {
  return std::unique_ptr<ConfigObject>(new (std::nothrow)
                                           ConfigObject(workspace, name, kind, parent));
}

TreeNode* SessionRoot(const Workspace& workspace) {
  const ServerSession* session = workspace.serverSession();
  return session == nullptr ? nullptr : session->root.get();
}

// The child of parentNode that record identifies, or null; the walker is released either way.
TreeNode* SeekChild(TreeNode* parentNode, const ChildDefinitionData& record) {
  std::unique_ptr<TreeWalker> walker(parentNode->GetChildWalker());
  if (walker == nullptr) return nullptr;
  walker->Seek(record);
  if (walker->AtEnd()) return nullptr;
  return walker->Current();
}

}  // namespace

std::unique_ptr<ConfigObject> ConfigObject::LocateByAddress(Workspace& workspace,
                                                            const std::string& name,
                                                            ObjectKind kind, const char* address,
                                                            uint16_t port, const char* password,
                                                            ConfigObject* parent) {
  std::unique_ptr<ConfigObject> object = NewObject(workspace, name, kind, parent);
  if (object == nullptr || SessionRoot(workspace) == nullptr) return object;

  in_addr resolved;
  if (!ResolveAddress(address, resolved)) return object;
  ChildDefinitionData record;
  record.setv("ipaddr", DottedText(resolved).c_str());
  record.setv("port", port == 0 ? kDefaultPort : port);

  TreeNode* parentNode = nullptr;
  if (kind == ObjectKind::Agent) {
    object->parentObject = nullptr;
    parentNode = SessionRoot(workspace);
  } else if (kind == ObjectKind::Broker && parent != nullptr) {
    parentNode = parent->node();
  }
  if (parentNode == nullptr) return object;

  parentNode->SupplyChildPassword(record, password == nullptr ? "" : password);
  object->treeNode.reset(kind == ObjectKind::Agent ? parentNode->GetPotentialChild(record)
                                                   : SeekChild(parentNode, record));
  return object;
}

std::unique_ptr<ConfigObject> ConfigObject::LocateDsmByName(Workspace& workspace,
                                                            const std::string& name,
                                                            ObjectKind kind, const char* dsmName,
                                                            ConfigObject* parent) {
  std::unique_ptr<ConfigObject> object = NewObject(workspace, name, kind, parent);
  if (object == nullptr || SessionRoot(workspace) == nullptr || kind != ObjectKind::DSM ||
      parent == nullptr || parent->node() == nullptr) {
    return object;
  }
  ChildDefinitionData record;
  record.setv("name", dsmName);
  object->treeNode.reset(SeekChild(parent->node(), record));
  return object;
}

std::unique_ptr<ConfigObject> ConfigObject::LocateTargetByAddress(
    Workspace& workspace, const std::string& name, ObjectKind kind, const char* address,
    const char* community, ConfigObject* parent) {
  std::unique_ptr<ConfigObject> object = NewObject(workspace, name, kind, parent);
  if (object == nullptr || SessionRoot(workspace) == nullptr || kind != ObjectKind::Target ||
      parent == nullptr || parent->node() == nullptr) {
    return object;
  }
  in_addr resolved;
  if (!ResolveAddress(address, resolved)) return object;
  ChildDefinitionData record;
  record.setv("ipaddr", DottedText(resolved).c_str());
  record.setv("community", community);
  object->treeNode.reset(SeekChild(parent->node(), record));
  return object;
}

std::unique_ptr<ConfigObject> ConfigObject::LocateLocalChild(Workspace& workspace,
                                                             const std::string& name,
                                                             ObjectKind kind,
                                                             ConfigObject* parent) {
  std::unique_ptr<ConfigObject> object = NewObject(workspace, name, kind, parent);
  if (object == nullptr || SessionRoot(workspace) == nullptr || parent == nullptr ||
      parent->node() == nullptr) {
    return object;
  }
  ChildDefinitionData record;
  if (kind == ObjectKind::Broker) {
    record.setv("kind", "broker");
  } else if (kind == ObjectKind::AutoConfig) {
    record.setv("kind", "autoconfig");
  } else {
    return object;
  }
  object->treeNode.reset(parent->node()->GetPotentialChild(record));
  return object;
}

std::unique_ptr<ConfigObject> ConfigObject::AdoptNode(Workspace& workspace, const std::string& name,
                                                      ObjectKind kind, TreeNode* node,
                                                      ConfigObject* parent) {
  std::unique_ptr<TreeNode> offered(node);
  std::unique_ptr<ConfigObject> object = NewObject(workspace, name, kind, parent);
  if (object == nullptr || offered == nullptr || SessionRoot(workspace) == nullptr) return object;
  const char* typeName = offered->GetTypeName();
  if (typeName != nullptr && EqualsIgnoringCase(typeName, KindName(kind))) {
    object->treeNode = std::move(offered);
  }
  return object;
}
