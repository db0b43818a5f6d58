// Walking children: positions are sequence numbers, Seek is a keyed lookup.
#include "sim/walker.h"

#include "sim/identity.h"
#include "sim/library.h"
#include "sim/node.h"

namespace sim {

SimWalker::SimWalker(const std::shared_ptr<Entry>& parent, Kind childKind, std::string description)
    : parent_(parent),
      childKind_(childKind),
      description_(std::move(description)),
      at_(parent->children.First()) {}

std::shared_ptr<Entry> SimWalker::Parent() const {
  std::shared_ptr<Entry> parent = parent_.lock();
  if (parent && parent->kind != Kind::Root && parent->parent == nullptr) return nullptr;
  return parent;
}

bool SimWalker::Tracing() { return Library::Get().trace().On(); }

void SimWalker::TraceCall(const char* operation, const std::string& arguments) const {
  const Trace& trace = Library::Get().trace();
  if (trace.On()) trace.Write(std::string(operation) + " " + description_ + arguments);
}

void SimWalker::Next() {
  TraceCall("Next");
  std::shared_ptr<Entry> parent = Parent();
  at_ = parent && at_ ? parent->children.After(*at_) : std::nullopt;
}

bool SimWalker::AtEnd() {
  TraceCall("AtEnd");
  return !at_ || !Parent();
}

void SimWalker::First() {
  TraceCall("First");
  std::shared_ptr<Entry> parent = Parent();
  at_ = parent ? parent->children.First() : std::nullopt;
}

void SimWalker::Seek(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("Seek", TraceRecord(record));
  at_.reset();
  std::shared_ptr<Entry> parent = Parent();
  std::optional<std::string> key = RecordKey(childKind_, record);
  if (!parent || !key) return;
  std::optional<ChildList::Seq> found = parent->children.FindSeq(*key);
  if (!found) return;
  if (childKind_ == Kind::Broker) {
    std::shared_ptr<Entry> child = parent->children.At(*found);
    if (!PassesPassword(*parent, *child, *key)) return;
  }
  at_ = found;
}

TreeNode* SimWalker::Current() {
  std::shared_ptr<Entry> parent = Parent();
  std::shared_ptr<Entry> child = parent && at_ ? parent->children.At(*at_) : nullptr;
  if (Tracing()) TraceCall("Current", child ? " " + Describe(*child) : std::string(" (none)"));
  return child ? new SimNode(child) : nullptr;
}

}  // namespace sim
