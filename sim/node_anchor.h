// What the nodes and walkers of one entry share: the way to the entry, which the entry cuts when
// it is destroyed, and its kind and definition record, which outlive it.
//
// An entry makes its anchor when its first node is made and holds one reference to it; every node
// and walker holds another. A node is then 32 bytes and its anchor 48: a walk over a large DSM, or
// the broker's DSMs walked once for every target, makes and deletes a node per step, and a node
// that held a weak_ptr to its entry and a shared_ptr to its record took 64 bytes besides the
// record's 48 and paid four atomic count changes. The counts here are plain: the simulator is
// single-threaded.
#pragma once

#include <cstdint>

#include "orbitane/orbitaneapi.h"
#include "sim/model.h"

namespace sim {

class NodeAnchor {
 public:
  // The anchor of entry, made on first use (which counts the entry as read by the run).
  static NodeAnchor& Of(Entry& entry) {
    return entry.anchor != nullptr ? *entry.anchor : Make(entry);
  }

  // The entry while it exists, else null. It may be detached, or of an installation that has
  // ended: nodes and walkers check.
  Entry* entry() const { return liveEntry; }
  Kind kind() const { return entryKind; }
  // The entry's definition record as it was when the anchor was made: the fields it shows never
  // change while the entry is attached.
  const ChildDefinitionData& record() const { return definition; }

  // Called by the entry's destructor: nodes find nothing from now on.
  void Detach();

 private:
  friend class AnchorRef;
  static NodeAnchor& Make(Entry& entry);
  explicit NodeAnchor(Entry& entry);
  NodeAnchor(const NodeAnchor&) = delete;
  NodeAnchor& operator=(const NodeAnchor&) = delete;
  void Hold() { ++references; }
  void Release() {
    if (--references == 0) delete this;
  }

  uint32_t references = 1;  // the entry's
  Kind entryKind;
  Entry* liveEntry;
  ChildDefinitionData definition;
};

// A counted reference to an anchor.
class AnchorRef {
 public:
  explicit AnchorRef(NodeAnchor& anchor) : held(&anchor) { held->Hold(); }
  AnchorRef(const AnchorRef& other) : AnchorRef(*other.held) {}
  AnchorRef& operator=(const AnchorRef&) = delete;
  ~AnchorRef() { held->Release(); }
  const NodeAnchor& operator*() const { return *held; }
  const NodeAnchor* operator->() const { return held; }

 private:
  NodeAnchor* held;
};

}  // namespace sim
