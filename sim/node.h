// The node objects handed to the engine. Each is a new object that refers to an entry of the
// in-memory installation through the entry's anchor (node_anchor.h): once the entry is removed or
// the installation is unloaded (destroyAPI, another load), every operation on the node fails
// (null, false, nothing done).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"
#include "sim/library.h"
#include "sim/model.h"
#include "sim/node_anchor.h"

namespace sim {

class SimNode final : public TreeNode {
 public:
  // entry is attached to the loaded installation.
  explicit SimNode(Entry& entry) : SimNode(entry, Library::Get().generation()) {}
  // The same, with the installation's generation at hand (a walker's step).
  SimNode(Entry& entry, uint64_t generation) : anchor(NodeAnchor::Of(entry)), madeIn(generation) {
    // The record holds everything a description shows, except an autoconfig object's broker.
    if (entry.kind == Kind::AutoConfig) DescribeNow(entry);
  }

  // Tree operations (node.cpp).
  TreeNode* AddChild(const ChildDefinitionData& record) override;
  bool RemoveChildByData(const ChildDefinitionData& record) override;
  bool RemoveChild(TreeNode* child) override;
  const char* GetTypeName() override;
  const ChildDefinitionData& GetDefinitionData() override;
  void VendorReservedA() override;
  TreeWalker* GetChildWalker() override;
  void SupplyChildPassword(const ChildDefinitionData& record, const char* password) override;
  bool ChangeChildPassword(const ChildDefinitionData& record, const char* password) override;
  void VendorReservedB() override;
  int AuthenticationChanged(const ChildDefinitionData& record) override;
  bool NormalizeChildData(ChildDefinitionData& record) override;
  bool CanAddChild(const ChildDefinitionData& record) override;
  TreeNode* GetPotentialChild(const ChildDefinitionData& record) override;

  // Data operations (node_data.cpp).
  NodePropertySet* GetProperties() override;
  bool SetProperties(const NodePropertySet& set) override;
  char* GetNamedDataItem(const char* item) override;
  bool ExecuteCommand(const char* command, const char* arguments) override;
  bool NodeIsAlive() override;

  // Nodes come and go by the million (a walk makes one per step): their blocks are kept for
  // reuse (node.cpp).
  static void* operator new(size_t bytes);
  static void operator delete(void* block, size_t bytes);

  // The entry while it is part of the loaded installation, else null (with the refusal's reason).
  // Valid until the installation changes: callers use it at once.
  Entry* Live() const;
  // Describe(entry) as it was when the node was made; formatted on first use.
  const std::string& Description() const;

 private:
  [[gnu::cold]] void DescribeNow(const Entry& entry);
  [[gnu::cold]] void TraceCall(const char* operation, std::string_view arguments = {}) const;
  Kind NodeKind() const { return anchor->kind(); }
  // Whether calls are traced: arguments are formatted for the trace only then.
  static bool Tracing();
  bool RemoveEntry(Entry& parent, Entry& child);

  AnchorRef anchor;  // the entry while it exists, its kind and record
  uint64_t madeIn;   // of the installation the entry belongs to (Library::generation)
  // Made on first use (tracing, or an autoconfig object's node): a walk makes many nodes that
  // are never described, and a text in each would make them a third larger.
  mutable std::unique_ptr<std::string> describedAs;
};

// Whether the child may be handed out under the password test: it has no password, or the
// engine supplied its password to the parent.
bool PassesPassword(const Entry& parent, const Entry& child, const std::string& key);

// Writes a change back; when that fails, runs undo so that memory matches the file again.
template <class Undo>
bool KeepOrUndo(const Change& change, Undo&& undo) {
  if (Library::Get().Persist(change)) return true;
  undo();
  return false;
}

}  // namespace sim
