// Walking children: positions are sequence numbers, Seek is a keyed lookup.
#include "sim/walker.h"

#include "sim/block_reuse.h"
#include "sim/identity.h"
#include "sim/node.h"
#include "sim/refusal.h"

namespace sim {
namespace {

BlockReuse<sizeof(SimWalker), 64> walkerBlocks;

}  // namespace

void* SimWalker::operator new(size_t bytes) { return walkerBlocks.Take(bytes); }

void SimWalker::operator delete(void* block, size_t bytes) { walkerBlocks.Give(block, bytes); }

SimWalker::SimWalker(const AnchorRef& parent, Kind childKind, uint64_t generation)
    : parentAnchor(parent),
      madeIn(generation),
      walkedKind(childKind),
      place(parent->entry()->children.First()) {}

Entry* SimWalker::Parent(const Library& library) const {
  if (madeIn != library.generation()) return nullptr;
  Entry* parent = parentAnchor->entry();
  if (parent == nullptr || (parent->kind != Kind::Root && parent->parent == nullptr))
    return nullptr;
  return parent;
}

void SimWalker::TraceCall(const char* operation, std::string_view arguments) const {
  Library::Get().trace().Write(
      (std::string(operation) + " " + parentDescription).append(arguments));
}

void SimWalker::TraceCurrent(const Entry* child) const {
  TraceCall("Current", child ? " " + Describe(*child) : std::string(" (none)"));
}

void SimWalker::Next() {
  const Library& library = Library::Get();
  if (library.trace().On()) TraceCall("Next");
  Entry* parent = Parent(library);
  place = parent != nullptr && place ? parent->children.After(*place) : std::nullopt;
}

bool SimWalker::AtEnd() {
  const Library& library = Library::Get();
  if (library.trace().On()) TraceCall("AtEnd");
  return !place || Parent(library) == nullptr;
}

void SimWalker::First() {
  const Library& library = Library::Get();
  if (library.trace().On()) TraceCall("First");
  Entry* parent = Parent(library);
  place = parent != nullptr ? parent->children.First() : std::nullopt;
}

void SimWalker::Seek(const ChildDefinitionData& record) {
  const Library& library = Library::Get();
  if (library.trace().On()) TraceCall("Seek", TraceRecord(record));
  place.reset();
  Entry* parent = Parent(library);
  std::optional<std::string> key = RecordKey(walkedKind, record);
  if (parent == nullptr || !key) return;
  std::optional<ChildList::Seq> found = parent->children.FindSeq(*key);
  if (!found) {
    Refuse(kOrbitaneRefusalNotConfigured, Describe(*parent) + " has no " +
                                              DescribeRecord(walkedKind, record) +
                                              " in its configuration");
    return;
  }
  if (walkedKind == Kind::Broker) {
    const std::shared_ptr<Entry>& child = parent->children.At(*found);
    if (!child || !PassesPassword(*parent, *child, *key)) {
      if (child)
        Refuse(kOrbitaneRefusalPassword, Describe(*child) + " does not take the password given");
      return;
    }
  }
  place = found;
}

TreeNode* SimWalker::Current() {
  const Library& library = Library::Get();
  Entry* parent = Parent(library);
  Entry* child = parent != nullptr && place ? parent->children.At(*place).get() : nullptr;
  if (library.trace().On()) TraceCurrent(child);
  return child ? new SimNode(*child, madeIn) : nullptr;
}

}  // namespace sim
