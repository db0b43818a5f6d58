#include "sim/node_anchor.h"

#include "sim/identity.h"
#include "sim/library.h"

namespace sim {

NodeAnchor& NodeAnchor::Make(Entry& entry) {
  // The first node of the entry is being made: the entry counts as read from now on, and every
  // later node has the anchor, so the mark is made once.
  Library::Get().NoteRead(entry);
  entry.anchor = new NodeAnchor(entry);
  return *entry.anchor;
}

NodeAnchor::NodeAnchor(Entry& entry)
    : entryKind(entry.kind), liveEntry(&entry), definition(DefinitionRecord(entry)) {}

void NodeAnchor::Detach() {
  liveEntry = nullptr;
  Release();
}

}  // namespace sim
