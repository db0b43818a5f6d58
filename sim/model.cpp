// Child lists and entry bookkeeping of the in-memory installation.
#include "sim/model.h"

#include <algorithm>
#include <cstring>

namespace sim {

Entry* ChildList::Find(const std::string& key) const {
  std::optional<Seq> seq = FindSeq(key);
  return seq ? lists_->order.at(*seq).get() : nullptr;
}

std::optional<ChildList::Seq> ChildList::FindSeq(const std::string& key) const {
  if (!lists_) return std::nullopt;
  auto found = lists_->index.find(key);
  if (found == lists_->index.end()) return std::nullopt;
  return found->second;
}

bool ChildList::Append(std::string key, std::shared_ptr<Entry> entry) {
  if (!lists_) lists_ = std::make_unique<Lists>();
  if (!lists_->index.emplace(std::move(key), lists_->next).second) return false;
  lists_->order.emplace_hint(lists_->order.end(), lists_->next, std::move(entry));
  ++lists_->next;
  return true;
}

std::optional<ChildList::Removed> ChildList::Remove(const std::string& key) {
  if (!lists_) return std::nullopt;
  auto found = lists_->index.find(key);
  if (found == lists_->index.end()) return std::nullopt;
  Removed removed;
  removed.seq = found->second;
  removed.key = key;
  auto slot = lists_->order.find(removed.seq);
  removed.entry = std::move(slot->second);
  lists_->order.erase(slot);
  lists_->index.erase(found);
  return removed;
}

void ChildList::Restore(Removed removed) {
  if (!lists_) lists_ = std::make_unique<Lists>();
  lists_->index.emplace(removed.key, removed.seq);
  lists_->order.emplace(removed.seq, std::move(removed.entry));
}

std::optional<ChildList::Seq> ChildList::First() const {
  if (!lists_ || lists_->order.empty()) return std::nullopt;
  return lists_->order.begin()->first;
}

std::optional<ChildList::Seq> ChildList::After(Seq seq) const {
  if (!lists_) return std::nullopt;
  auto next = lists_->order.upper_bound(seq);
  if (next == lists_->order.end()) return std::nullopt;
  return next->first;
}

std::shared_ptr<Entry> ChildList::At(Seq seq) const {
  if (!lists_) return nullptr;
  auto found = lists_->order.find(seq);
  return found == lists_->order.end() ? nullptr : found->second;
}

const std::map<ChildList::Seq, std::shared_ptr<Entry>>& ChildList::InOrder() const {
  static const auto* const kNone = new std::map<Seq, std::shared_ptr<Entry>>();
  return lists_ ? lists_->order : *kNone;
}

bool Entry::Fails(const char* operation) const {
  return std::any_of(fail.begin(), fail.end(),
                     [operation](const std::string& name) { return name == operation; });
}

std::shared_ptr<Entry> Site::NewEntry(Kind kind) {
  if (pool == nullptr) pool = std::make_shared<EntryPool>();
  auto entry = std::allocate_shared<Entry>(PoolAllocator<Entry>(pool));
  entry->kind = kind;
  entry->id = byId.size();
  byId.push_back(entry);
  return entry;
}

std::shared_ptr<Entry> Site::FindById(uint64_t id) {
  return id < byId.size() ? byId[id].lock() : nullptr;
}

}  // namespace sim
