// Walking children: positions are sequence numbers, Seek is a keyed lookup.
#include "sim/walker.h"

#include "sim/identity.h"
#include "sim/library.h"
#include "sim/node.h"
#include "sim/refusal.h"

namespace sim {

SimWalker::SimWalker(const AnchorRef& parent, Kind childKind, std::string description)
    : parentAnchor(parent),
      madeIn(Library::Get().generation()),
      walkedKind(childKind),
      parentDescription(std::move(description)),
      place(parent->entry()->children.First()) {}

Entry* SimWalker::Parent() const {
  if (madeIn != Library::Get().generation()) return nullptr;
  Entry* parent = parentAnchor->entry();
  if (parent == nullptr || (parent->kind != Kind::Root && parent->parent == nullptr))
    return nullptr;
  return parent;
}

bool SimWalker::Tracing() { return Library::Get().trace().On(); }

void SimWalker::TraceCall(const char* operation, std::string_view arguments) const {
  const Trace& trace = Library::Get().trace();
  if (trace.On()) trace.Write((std::string(operation) + " " + parentDescription).append(arguments));
}

void SimWalker::Next() {
  if (Tracing()) TraceCall("Next");
  Entry* parent = Parent();
  place = parent != nullptr && place ? parent->children.After(*place) : std::nullopt;
}

bool SimWalker::AtEnd() {
  if (Tracing()) TraceCall("AtEnd");
  return !place || Parent() == nullptr;
}

void SimWalker::First() {
  if (Tracing()) TraceCall("First");
  Entry* parent = Parent();
  place = parent != nullptr ? parent->children.First() : std::nullopt;
}

void SimWalker::Seek(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("Seek", TraceRecord(record));
  place.reset();
  Entry* parent = Parent();
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
  Entry* parent = Parent();
  static const std::shared_ptr<Entry> kNone;
  const std::shared_ptr<Entry>& child =
      parent != nullptr && place ? parent->children.At(*place) : kNone;
  if (Tracing()) TraceCall("Current", child ? " " + Describe(*child) : std::string(" (none)"));
  return child ? new SimNode(*child) : nullptr;
}

}  // namespace sim
