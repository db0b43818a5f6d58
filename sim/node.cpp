// Tree operations of a node: naming, lookups, adding and removing children, passwords.
#include "sim/node.h"

#include <charconv>
#include <new>

#include "sim/block_reuse.h"
#include "sim/identity.h"
#include "sim/refusal.h"
#include "sim/site_fields.h"
#include "sim/walker.h"

namespace sim {
namespace {

// The supplied password for a child, if the engine gave one.
const std::string* SuppliedPassword(const Entry& parent, const std::string& key) {
  auto found = parent.Details().suppliedPasswords.find(key);
  return found == parent.Details().suppliedPasswords.end() ? nullptr : &found->second;
}

bool IsAutoconfigRecord(const ChildDefinitionData& record) {
  const char* kind = record.getv("kind");
  return kind != nullptr && EqualsIgnoringCase(kind, "autoconfig");
}

BlockReuse<sizeof(SimNode), 4096> nodeBlocks;

}  // namespace

void* SimNode::operator new(size_t bytes) { return nodeBlocks.Take(bytes); }

void SimNode::operator delete(void* block, size_t bytes) { nodeBlocks.Give(block, bytes); }

bool PassesPassword(const Entry& parent, const Entry& child, const std::string& key) {
  if (child.Details().password.empty()) return true;
  const std::shared_ptr<Site>& site = Library::Get().site();
  if (site && site->anyPassword) return true;
  const std::string* supplied = SuppliedPassword(parent, key);
  return supplied != nullptr && *supplied == child.Details().password;
}

void SimNode::DescribeNow(const Entry& entry) {
  describedAs = std::make_unique<std::string>(Describe(entry));
}

const std::string& SimNode::Description() const {
  if (!describedAs)
    describedAs = std::make_unique<std::string>(DescribeRecord(anchor->kind(), anchor->record()));
  return *describedAs;
}

Entry* SimNode::Live() const {
  // An ended session's installation may still be in memory (Library::Destroy).
  if (madeIn != Library::Get().generation()) {
    Refuse(kOrbitaneRefusalNoSession, "the session that reached " + Description() + " has ended");
    return nullptr;
  }
  Entry* entry = anchor->entry();
  // A removed entry may still be held for a moment by an undo record; it is no longer attached.
  if (entry == nullptr || (entry->kind != Kind::Root && entry->parent == nullptr)) {
    Refuse(kOrbitaneRefusalGone, Description() + " is no longer in the installation");
    return nullptr;
  }
  return entry;
}

bool SimNode::Tracing() { return Library::Get().trace().On(); }

void SimNode::TraceCall(const char* operation, std::string_view arguments) const {
  const Trace& trace = Library::Get().trace();
  if (trace.On()) trace.Write((std::string(operation) + " " + Description()).append(arguments));
}

const char* SimNode::GetTypeName() {
  if (Tracing()) TraceCall("GetTypeName");
  return TypeName(NodeKind());
}

const ChildDefinitionData& SimNode::GetDefinitionData() {
  if (Tracing()) TraceCall("GetDefinitionData");
  return anchor->record();
}

void SimNode::VendorReservedA() { TraceCall("VendorReservedA"); }
void SimNode::VendorReservedB() { TraceCall("VendorReservedB"); }

int SimNode::AuthenticationChanged(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("AuthenticationChanged", TraceRecord(record));
  return 1;
}

bool SimNode::NormalizeChildData(ChildDefinitionData& record) {
  if (Tracing()) TraceCall("NormalizeChildData", TraceRecord(record));
  return false;
}

TreeWalker* SimNode::GetChildWalker() {
  if (Tracing()) TraceCall("GetChildWalker");
  Entry* entry = Live();
  std::optional<Kind> childKind = ChildKind(NodeKind());
  if (!entry || !childKind || entry->Fails("GetChildWalker")) return nullptr;
  auto* walker = new SimWalker(anchor, *childKind, madeIn);
  // The description names the parent in the walker's trace lines; without a trace it is not made.
  if (Tracing()) walker->DescribeParentAs(Description());
  return walker;
}

void SimNode::SupplyChildPassword(const ChildDefinitionData& record, const char* password) {
  if (Tracing()) TraceCall("SupplyChildPassword", TraceRecord(record) + TracePassword(password));
  Entry* entry = Live();
  std::optional<Kind> childKind = ChildKind(NodeKind());
  if (!entry || !childKind) return;
  if (std::optional<std::string> key = RecordKey(*childKind, record)) {
    entry->EditDetails().suppliedPasswords[*key] = password == nullptr ? "" : password;
  }
}

TreeNode* SimNode::GetPotentialChild(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("GetPotentialChild", TraceRecord(record));
  Entry* entry = Live();
  if (!entry) return nullptr;
  std::shared_ptr<Entry> child;
  const char* kind = record.getv("kind");
  if (NodeKind() == Kind::Root) {
    std::optional<std::string> key = RecordKey(Kind::Agent, record);
    std::optional<ChildList::Seq> seq = key ? entry->children.FindSeq(*key) : std::nullopt;
    if (seq) child = entry->children.At(*seq);
    if (child && !PassesPassword(*entry, *child, *key)) {
      Refuse(kOrbitaneRefusalPassword, Describe(*child) + " does not take the password given");
      return nullptr;
    }
  } else if (NodeKind() == Kind::Agent && kind != nullptr && EqualsIgnoringCase(kind, "broker")) {
    child = entry->Details().localBroker.lock();
  } else if (NodeKind() == Kind::Broker && IsAutoconfigRecord(record)) {
    child = entry->Details().autoconfig;
  }
  if (!child) {
    Refuse(kOrbitaneRefusalNotConfigured,
           NodeKind() == Kind::Root
               ? "no " + DescribeRecord(Kind::Agent, record) + " in the installation"
               : Description() + " has no such child in its configuration");
    return nullptr;
  }
  return new SimNode(*child);
}

bool SimNode::CanAddChild(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("CanAddChild", TraceRecord(record));
  Entry* entry = Live();
  if (!entry) return false;
  const char* ipaddr = record.getv("ipaddr");
  const std::shared_ptr<Site>& site = Library::Get().site();
  if (ipaddr != nullptr && site && site->unreachableKeys.count(LowerAscii(ipaddr)) != 0) {
    Refuse(kOrbitaneRefusalNoAnswer, std::string(ipaddr) + " does not answer");
    return false;
  }
  std::optional<Kind> childKind = ChildKind(NodeKind());
  if (!childKind) return true;
  std::optional<std::string> key = RecordKey(*childKind, record);
  const Entry* existing = key ? entry->children.Find(*key) : nullptr;
  if (existing != nullptr) {
    Refuse(kOrbitaneRefusalAlreadyThere,
           Description() + " already has " + Describe(*existing) + " in its configuration");
  }
  return existing == nullptr;
}

TreeNode* SimNode::AddChild(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("AddChild", TraceRecord(record));
  Entry* entry = Live();
  const std::shared_ptr<Site>& site = Library::Get().site();
  if (!entry || !site || entry->Fails("AddChild")) return nullptr;
  if (NodeKind() != Kind::Agent && NodeKind() != Kind::Dsm) return nullptr;
  const Kind childKind = NodeKind() == Kind::Agent ? Kind::Broker : Kind::Target;

  const char* ipaddr = record.getv("ipaddr");
  const char* port = record.getv("port");
  const char* community = record.getv("community");
  if (ipaddr == nullptr || !IsDottedDecimal(ipaddr)) return nullptr;
  std::optional<uint16_t> portNumber = port == nullptr ? uint16_t{5465} : ParsePort(port);
  if (!portNumber) return nullptr;
  if (community != nullptr && !IsValidUtf8(community)) return nullptr;

  std::shared_ptr<Entry> child = site->NewEntry(childKind);
  child->ipaddr = ipaddr;
  if (childKind == Kind::Broker) {
    child->port = *portNumber;
  } else if (community != nullptr) {
    child->community = community;
  }
  const std::string key = IdentityKey(*child);
  if (childKind == Kind::Broker) {
    // The broker keeps the password with which the engine reached it.
    if (const std::string* supplied = SuppliedPassword(*entry, key)) {
      child->EditDetails().password = *supplied;
    }
  }
  child->parent = entry;
  if (!entry->children.Append(key, child)) {
    Refuse(kOrbitaneRefusalAlreadyThere,
           Description() + " already has " + Describe(*child) + " in its configuration");
    return nullptr;
  }
  if (!KeepOrUndo({"the new child", *child}, [&] {
        entry->children.Remove(key);
        child->parent = nullptr;
      })) {
    return nullptr;
  }
  return new SimNode(*child);
}

bool SimNode::RemoveEntry(Entry& parent, Entry& child) {
  if (parent.Fails("RemoveChild")) return false;
  if (child.kind == Kind::AutoConfig) {
    std::shared_ptr<Entry> removed = std::move(parent.EditDetails().autoconfig);
    removed->parent = nullptr;
    return KeepOrUndo({"the removal of the autoconfig object", parent}, [&] {
      removed->parent = &parent;
      parent.EditDetails().autoconfig = removed;
    });
  }
  std::optional<ChildList::Removed> removed = parent.children.Remove(IdentityKey(child));
  if (!removed) return false;
  removed->entry->parent = nullptr;
  return KeepOrUndo({"the removal", *removed->entry}, [&] {
    removed->entry->parent = &parent;
    parent.children.Restore(std::move(*removed));
  });
}

bool SimNode::RemoveChildByData(const ChildDefinitionData& record) {
  if (Tracing()) TraceCall("RemoveChildByData", TraceRecord(record));
  Entry* entry = Live();
  if (!entry) return false;
  if (NodeKind() == Kind::Broker && IsAutoconfigRecord(record)) {
    const std::shared_ptr<Entry>& autoconfig = entry->Details().autoconfig;
    return autoconfig && RemoveEntry(*entry, *autoconfig);
  }
  std::optional<Kind> childKind = ChildKind(NodeKind());
  std::optional<std::string> key = childKind ? RecordKey(*childKind, record) : std::nullopt;
  Entry* child = key ? entry->children.Find(*key) : nullptr;
  if (child == nullptr && childKind) {
    Refuse(
        kOrbitaneRefusalNotConfigured,
        Description() + " has no " + DescribeRecord(*childKind, record) + " in its configuration");
  }
  return child != nullptr && RemoveEntry(*entry, *child);
}

bool SimNode::RemoveChild(TreeNode* child) {
  auto* node = dynamic_cast<SimNode*>(child);
  if (Tracing()) {
    TraceCall("RemoveChild",
              node ? " " + node->Description() : std::string(" (not a node of this library)"));
  }
  Entry* entry = Live();
  Entry* target = node ? node->Live() : nullptr;
  if (!entry || !target || target->parent != entry) return false;
  return RemoveEntry(*entry, *target);
}

bool SimNode::ChangeChildPassword(const ChildDefinitionData& record, const char* password) {
  if (Tracing()) TraceCall("ChangeChildPassword", TraceRecord(record) + TracePassword(password));
  Entry* entry = Live();
  const std::shared_ptr<Site>& site = Library::Get().site();
  if (!entry || !site || NodeKind() != Kind::Root || password == nullptr ||
      !IsValidUtf8(password)) {
    return false;
  }
  // The record's own "sim_id" tells which node it names; a record without one can name an agent.
  std::shared_ptr<Entry> named;
  uint64_t id = 0;
  const char* idText = record.getv("sim_id");
  if (idText != nullptr) {
    std::string_view text(idText);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error == std::errc() && end == text.data() + text.size()) named = site->FindById(id);
    // The identity keys must agree, so that a record of an earlier load names nothing.
    if (named &&
        (named->parent == nullptr || RecordKey(named->kind, record) != IdentityKey(*named))) {
      named.reset();
    }
  } else if (std::optional<std::string> key = RecordKey(Kind::Agent, record)) {
    if (std::optional<ChildList::Seq> seq = entry->children.FindSeq(*key)) {
      named = entry->children.At(*seq);
    }
  }
  if (!named || named->Fails("ChangeChildPassword")) return false;
  if (named->kind != Kind::Agent && named->kind != Kind::Broker && named->kind != Kind::Dsm) {
    return false;
  }
  std::string previous = named->Details().password;
  named->EditDetails().password = password;
  return KeepOrUndo({"the new password", *named},
                    [&] { named->EditDetails().password = previous; });
}

}  // namespace sim
