#include "sim/node_anchor.h"

#include "sim/identity.h"

namespace sim {

NodeAnchor& NodeAnchor::Of(Entry& entry) {
  if (entry.anchor == nullptr) entry.anchor = new NodeAnchor(entry);
  return *entry.anchor;
}

NodeAnchor::NodeAnchor(Entry& entry)
    : entryKind(entry.kind), liveEntry(&entry), definition(DefinitionRecord(entry)) {}

void NodeAnchor::Detach() {
  liveEntry = nullptr;
  Release();
}

}  // namespace sim
