// The walker over a node's children, in file order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"
#include "sim/library.h"
#include "sim/model.h"
#include "sim/node_anchor.h"

namespace sim {

class SimWalker final : public TreeWalker {
 public:
  // Starts on the first child of the parent's entry, which is attached to the installation of
  // that generation (the loaded one).
  SimWalker(const AnchorRef& parent, Kind childKind, uint64_t generation);
  // The parent as trace lines name it; set when calls are traced.
  void DescribeParentAs(std::string description) { parentDescription = std::move(description); }

  void Next() override;
  bool AtEnd() override;
  void First() override;
  void Seek(const ChildDefinitionData& record) override;
  TreeNode* Current() override;

  // A walker per target of a cable-community check, and per SPAWN: their blocks are kept for
  // reuse (walker.cpp).
  static void* operator new(size_t bytes);
  static void operator delete(void* block, size_t bytes);

 private:
  // The parent while it is attached to library's installation, else null. Valid until the
  // installation changes: callers use it at once.
  Entry* Parent(const Library& library) const;
  // Writes the call's trace line; called only when tracing, so that a walk's calls make no text.
  [[gnu::cold]] void TraceCall(const char* operation, std::string_view arguments = {}) const;
  [[gnu::cold]] void TraceCurrent(const Entry* child) const;

  AnchorRef parentAnchor;  // the parent while it exists
  uint64_t madeIn;         // of the parent's installation (Library::generation)
  Kind walkedKind;
  std::string parentDescription;  // of the parent, for the trace (empty when not tracing)
  // The position: a sequence number of the parent's child list, which stays meaningful when
  // children are added or removed meanwhile.
  std::optional<ChildList::Seq> place;
};

}  // namespace sim
