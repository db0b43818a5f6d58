// DEL's part in the model: removing children from the configuration and dropping their objects
// together with every registered object below them.
#include "model/object_registry.h"
#include "model/workspace.h"

// The subtrees of the registered children, through the registry's one walk of the tree.
void ConfigObject::CollectDescendants(std::set<std::string>& names) const {
  const ObjectRegistry& registry = home->registry();
  for (const auto& [childName, child] : registry.ChildrenOf(objectName)) {
    registry.CollectSubtree(child->objectName, names);
  }
}

int ConfigObject::DeleteChildren(std::set<std::string> names) {
  ObjectRegistry& registry = home->registry();
  std::set<std::string> dropped;
  int removed = 0;
  for (const std::string& childName : names) {
    ConfigObject* child = registry.Find(childName);
    if (child == nullptr || child->parentObject != this) continue;
    // The installation removes what lies below the child; its answer changes nothing here.
    if (child->treeNode != nullptr && treeNode != nullptr) {
      treeNode->RemoveChild(child->treeNode.get());
    }
    child->CollectDescendants(dropped);
    ++removed;
    dropped.insert(childName);
  }
  registry.DestroySubtrees(dropped);
  return removed;
}
