// The walker over a node's children, in file order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"
#include "sim/model.h"

namespace sim {

class SimWalker final : public TreeWalker {
 public:
  // Starts on the first child.
  SimWalker(const std::shared_ptr<Entry>& parent, Kind childKind, std::string description);

  void Next() override;
  bool AtEnd() override;
  void First() override;
  void Seek(const ChildDefinitionData& record) override;
  TreeNode* Current() override;

 private:
  // The parent while it is attached to the loaded installation, else null. Valid until the
  // installation changes: callers use it at once.
  Entry* Parent() const;
  void TraceCall(const char* operation, std::string_view arguments = {}) const;
  // Whether calls are traced: arguments are formatted for the trace only then.
  static bool Tracing();

  std::weak_ptr<Entry> weakParent;  // tells whether the parent still exists
  Entry* parentEntry;               // the parent, used only while weakParent has not expired
  uint64_t madeIn;                  // of the parent's installation (Library::generation)
  Kind walkedKind;
  std::string parentDescription;  // of the parent, for the trace (empty when not tracing)
  // The position: a sequence number of the parent's child list, which stays meaningful when
  // children are added or removed meanwhile.
  std::optional<ChildList::Seq> place;
};

}  // namespace sim
