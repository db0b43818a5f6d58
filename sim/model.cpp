// Child lists and entry bookkeeping of the in-memory installation.
#include "sim/model.h"

#include <algorithm>
#include <cstring>

namespace sim {

Entry* ChildList::Find(const std::string& key) const {
  auto found = index_.find(key);
  return found == index_.end() ? nullptr : order_.at(found->second).get();
}

std::optional<ChildList::Seq> ChildList::FindSeq(const std::string& key) const {
  auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

bool ChildList::Append(const std::string& key, std::shared_ptr<Entry> entry) {
  if (!index_.emplace(key, next_).second) return false;
  order_.emplace_hint(order_.end(), next_, std::move(entry));
  ++next_;
  return true;
}

std::optional<ChildList::Removed> ChildList::Remove(const std::string& key) {
  auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  Removed removed;
  removed.seq = found->second;
  removed.key = key;
  auto slot = order_.find(removed.seq);
  removed.entry = std::move(slot->second);
  order_.erase(slot);
  index_.erase(found);
  return removed;
}

void ChildList::Restore(Removed removed) {
  index_.emplace(removed.key, removed.seq);
  order_.emplace(removed.seq, std::move(removed.entry));
}

std::optional<ChildList::Seq> ChildList::First() const {
  if (order_.empty()) return std::nullopt;
  return order_.begin()->first;
}

std::optional<ChildList::Seq> ChildList::After(Seq seq) const {
  auto next = order_.upper_bound(seq);
  if (next == order_.end()) return std::nullopt;
  return next->first;
}

std::shared_ptr<Entry> ChildList::At(Seq seq) const {
  auto found = order_.find(seq);
  return found == order_.end() ? nullptr : found->second;
}

bool Entry::Fails(const char* operation) const {
  return std::any_of(fail.begin(), fail.end(),
                     [operation](const std::string& name) { return name == operation; });
}

std::shared_ptr<Entry> Site::NewEntry(Kind kind) {
  auto entry = std::make_shared<Entry>();
  entry->kind = kind;
  entry->id = nextId++;
  byId.emplace(entry->id, entry);
  return entry;
}

std::shared_ptr<Entry> Site::FindById(uint64_t id) {
  auto found = byId.find(id);
  if (found == byId.end()) return nullptr;
  std::shared_ptr<Entry> entry = found->second.lock();
  if (!entry) byId.erase(found);  // freed after a removal: forget it
  return entry;
}

}  // namespace sim
