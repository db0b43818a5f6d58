// Walking children: positions are sequence numbers, Seek is a keyed lookup.
#include "sim/walker.h"

#include "sim/identity.h"
#include "sim/library.h"
#include "sim/node.h"
#include "sim/refusal.h"

namespace sim {

SimWalker::SimWalker(const std::shared_ptr<Entry>& parent, Kind childKind, std::string description)
    : parent_(parent),
      parentEntry_(parent.get()),
      generation_(Library::Get().generation()),
      childKind_(childKind),
      description_(std::move(description)),
      at_(parent->children.First()) {}

Entry* SimWalker::Parent() const {
  // The simulator is single-threaded: an entry that has not expired stays until the next change
  // of the installation, so the walk needs no shared_ptr of its own (and no atomic counts).
  if (generation_ != Library::Get().generation() || parent_.expired()) return nullptr;
  Entry* parent = parentEntry_;
  if (parent->kind != Kind::Root && parent->parent == nullptr) return nullptr;
  return parent;
}

bool SimWalker::Tracing() { return Library::Get().trace().On(); }

void SimWalker::TraceCall(const char* operation, std::string_view arguments) const {
  const Trace& trace = Library::Get().trace();
  if (trace.On()) trace.Write((std::string(operation) + " " + description_).append(arguments));
}

void SimWalker::Next() {
  TraceCall("Next");
  Entry* parent = Parent();
  at_ = parent != nullptr && at_ ? parent->children.After(*at_) : std::nullopt;
}

bool SimWalker::AtEnd() {
  TraceCall("AtEnd");
  return !at_ || Parent() == nullptr;
}

void SimWalker::First() {
  TraceCall("First");
  Entry* parent = Parent();
  at_ = parent != nullptr ? parent->children.First() : std::nullopt;
}

void SimWalker::Seek(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("Seek", TraceRecord(record));
  at_.reset();
  Entry* parent = Parent();
  std::optional<std::string> key = RecordKey(childKind_, record);
  if (parent == nullptr || !key) return;
  std::optional<ChildList::Seq> found = parent->children.FindSeq(*key);
  if (!found) {
    Refuse(kOrbitaneRefusalNotConfigured, Describe(*parent) + " has no " +
                                              DescribeRecord(childKind_, record) +
                                              " in its configuration");
    return;
  }
  if (childKind_ == Kind::Broker) {
    const std::shared_ptr<Entry>& child = parent->children.At(*found);
    if (!child || !PassesPassword(*parent, *child, *key)) {
      if (child)
        Refuse(kOrbitaneRefusalPassword, Describe(*child) + " does not take the password given");
      return;
    }
  }
  at_ = found;
}

TreeNode* SimWalker::Current() {
  Entry* parent = Parent();
  static const std::shared_ptr<Entry> kNone;
  const std::shared_ptr<Entry>& child =
      parent != nullptr && at_ ? parent->children.At(*at_) : kNone;
  if (Tracing()) TraceCall("Current", child ? " " + Describe(*child) : std::string(" (none)"));
  return child ? new SimNode(child) : nullptr;
}

}  // namespace sim
