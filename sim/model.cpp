// Child lists and entry bookkeeping of the in-memory installation.
#include "sim/model.h"

#include <algorithm>
#include <cstring>

#include "sim/identity.h"
#include "sim/node_anchor.h"
#include "sim/refusal.h"

namespace sim {

namespace {

// The hash of a key, as a slot keeps it: its place in the table and a quick test before keys
// are compared, and enough to move the slot when the table grows.
uint32_t HashOf(const std::string& key) {
  const uint64_t hash = std::hash<std::string>{}(key);
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

std::optional<size_t> ChildList::FindSlot(const std::string& key, uint32_t hash) const {
  if (!storage || storage->slots.empty()) return std::nullopt;
  const std::vector<Slot>& slots = storage->slots;
  const size_t mask = slots.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots[at];
    if (slot.seqPlusOne == 0) return std::nullopt;
    if (slot.seqPlusOne != kRemovedSlot && slot.hash == hash &&
        HasIdentityKey(*storage->order[slot.seqPlusOne - 1], key)) {
      return at;
    }
  }
}

void ChildList::Reserve() {
  std::vector<Slot>& slots = storage->slots;
  if ((storage->taken + 1) * 2 <= slots.size()) return;
  size_t size = 16;
  // At most a third full after a rebuild, so that at least a sixth of the table is taken again
  // (by additions or removed places) before the next one: rebuilds stay rare whatever the mix.
  while (size < (storage->live + 1) * 3) size *= 2;
  std::vector<Slot> old(size);
  old.swap(slots);
  const size_t mask = size - 1;
  storage->taken = 0;
  for (const Slot& slot : old) {
    if (slot.seqPlusOne == 0 || slot.seqPlusOne == kRemovedSlot) continue;
    size_t at = slot.hash & mask;
    while (slots[at].seqPlusOne != 0) at = (at + 1) & mask;
    slots[at] = slot;
    ++storage->taken;
  }
}

bool ChildList::Index(const std::string& key, Seq seq) {
  Reserve();
  const uint32_t hash = HashOf(key);
  if (FindSlot(key, hash)) return false;
  std::vector<Slot>& slots = storage->slots;
  const size_t mask = slots.size() - 1;
  size_t at = hash & mask;
  while (slots[at].seqPlusOne != 0 && slots[at].seqPlusOne != kRemovedSlot) at = (at + 1) & mask;
  if (slots[at].seqPlusOne == 0) ++storage->taken;
  slots[at] = Slot{hash, static_cast<uint32_t>(seq + 1)};
  return true;
}

Entry* ChildList::Find(const std::string& key) const {
  std::optional<Seq> seq = FindSeq(key);
  return seq ? storage->order[*seq].get() : nullptr;
}

std::optional<ChildList::Seq> ChildList::FindSeq(const std::string& key) const {
  if (!storage) return std::nullopt;
  // Keys are unique in the list, so the child after the last one found, when it has the key, is
  // the one the index would give.
  const Seq next = storage->afterFound;
  if (next < storage->order.size() && storage->order[next] != nullptr &&
      HasIdentityKey(*storage->order[next], key)) {
    storage->afterFound = next + 1;
    return next;
  }
  std::optional<size_t> at = FindSlot(key, HashOf(key));
  if (!at) return std::nullopt;
  const Seq seq = storage->slots[*at].seqPlusOne - 1;
  storage->afterFound = seq + 1;
  return seq;
}

bool ChildList::Append(std::string key, std::shared_ptr<Entry> entry) {
  if (!storage) storage = std::make_unique<Lists>();
  const Seq seq = storage->order.size();
  if (seq + 1 >= kRemovedSlot) return false;  // beyond what a slot can name
  if (!Index(key, seq)) return false;
  storage->order.push_back(std::move(entry));
  ++storage->live;
  return true;
}

std::optional<ChildList::Removed> ChildList::Remove(const std::string& key) {
  std::optional<size_t> at = FindSlot(key, HashOf(key));
  if (!at) return std::nullopt;
  Slot& slot = storage->slots[*at];
  Removed removed;
  removed.seq = slot.seqPlusOne - 1;
  removed.key = key;
  removed.entry = std::move(storage->order[removed.seq]);
  slot.seqPlusOne = kRemovedSlot;
  --storage->live;
  return removed;
}

void ChildList::Restore(Removed removed) {
  if (!storage) storage = std::make_unique<Lists>();
  if (removed.seq >= storage->order.size()) storage->order.resize(removed.seq + 1);
  Index(removed.key, removed.seq);
  storage->order[removed.seq] = std::move(removed.entry);
  ++storage->live;
  if (removed.seq < storage->firstLive) storage->firstLive = removed.seq;
}

std::optional<ChildList::Seq> ChildList::NextLive(Seq from) const {
  const auto& order = storage->order;
  for (Seq seq = from; seq < order.size(); ++seq) {
    if (order[seq] != nullptr) return seq;
  }
  return std::nullopt;
}

std::optional<ChildList::Seq> ChildList::First() const {
  if (!storage || storage->live == 0) return std::nullopt;
  std::optional<Seq> first = NextLive(storage->firstLive);
  if (first) storage->firstLive = *first;  // no child lives before it
  return first;
}

std::optional<ChildList::Seq> ChildList::After(Seq seq) const {
  if (!storage) return std::nullopt;
  return NextLive(seq + 1);
}

const std::shared_ptr<Entry>& ChildList::At(Seq seq) const {
  static const std::shared_ptr<Entry> kNone;
  if (!storage || seq >= storage->order.size()) return kNone;
  return storage->order[seq];
}

const std::vector<std::shared_ptr<Entry>>& ChildList::InOrder() const {
  static const auto* const kNone = new std::vector<std::shared_ptr<Entry>>();
  return storage ? storage->order : *kNone;
}

Entry::~Entry() {
  if (anchor != nullptr) anchor->Detach();
}

const EntryDetails& Entry::Details() const {
  static const EntryDetails kNone;
  return rareDetails ? *rareDetails : kNone;
}

EntryDetails& Entry::EditDetails() {
  if (!rareDetails) rareDetails = std::make_unique<EntryDetails>();
  return *rareDetails;
}

bool Entry::Fails(const char* operation) const {
  if (!rareDetails) return false;  // no details, so no "fail" list: most entries, at every call
  const std::vector<std::string>& fail = rareDetails->fail;
  const bool fails = std::any_of(
      fail.begin(), fail.end(), [operation](const std::string& name) { return name == operation; });
  if (fails) {
    Refuse(kOrbitaneRefusalFailing, std::string(operation) + " fails on " + Describe(*this) +
                                        ", as the installation file's \"fail\" list says");
  }
  return fails;
}

std::shared_ptr<Entry> Site::NewEntry(Kind kind) {
  if (pool == nullptr) pool.reset(EntryPool::Make());
  auto entry = std::allocate_shared<Entry>(PoolAllocator<Entry>(pool.get()));
  entry->kind = kind;
  entry->id = byId.size();
  byId.push_back(entry);
  return entry;
}

std::shared_ptr<Entry> Site::FindById(uint64_t id) {
  return id < byId.size() ? byId[id].lock() : nullptr;
}

}  // namespace sim
