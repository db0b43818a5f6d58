// Default members of the vendor interface classes. They carry no behaviour of their own; the
// engine exports them so that an implementation of the interface can be linked against it.
#include "orbitane/orbitaneapi.h"

NameValueAlgorithm::NameValueAlgorithm() = default;
NameValueAlgorithm::NameValueAlgorithm(const NameValueAlgorithm&) = default;
NameValueAlgorithm& NameValueAlgorithm::operator=(const NameValueAlgorithm&) = default;
NameValueAlgorithm::~NameValueAlgorithm() = default;

NameValueActionAlgorithm::NameValueActionAlgorithm() = default;
NameValueActionAlgorithm::NameValueActionAlgorithm(const NameValueActionAlgorithm&) = default;
NameValueActionAlgorithm& NameValueActionAlgorithm::operator=(const NameValueActionAlgorithm&) =
    default;
NameValueActionAlgorithm::~NameValueActionAlgorithm() = default;

TreeWalker::TreeWalker() = default;
TreeWalker::TreeWalker(const TreeWalker&) = default;
TreeWalker& TreeWalker::operator=(const TreeWalker&) = default;
TreeWalker::~TreeWalker() = default;

TreeRootHolder::TreeRootHolder() = default;
TreeRootHolder::TreeRootHolder(const TreeRootHolder&) = default;
TreeRootHolder& TreeRootHolder::operator=(const TreeRootHolder&) = default;
TreeRootHolder::~TreeRootHolder() = default;

TreeNode::TreeNode() = default;
TreeNode::TreeNode(const TreeNode&) = default;
TreeNode& TreeNode::operator=(const TreeNode&) = default;
TreeNode::~TreeNode() = default;

bool TreeNode::RemoveChild(TreeNode* child) {
  if (child == nullptr) return false;
  ChildDefinitionData record = child->GetDefinitionData();
  return RemoveChildByData(record);
}

int TreeNode::AuthenticationChanged(const ChildDefinitionData&) { return 1; }
bool TreeNode::NormalizeChildData(ChildDefinitionData&) { return false; }
char* TreeNode::GetNamedDataItem(const char*) { return nullptr; }
bool TreeNode::ExecuteCommand(const char*, const char*) { return false; }
bool TreeNode::NodeIsAlive() { return true; }
bool TreeNode::CanAddChild(const ChildDefinitionData&) { return true; }
TreeNode* TreeNode::GetPotentialChild(const ChildDefinitionData&) { return nullptr; }
