// Child lists and entry bookkeeping of the in-memory installation.
#include "sim/model.h"

#include <algorithm>
#include <cstring>

namespace sim {

Entry* ChildList::Find(const std::string& key) const {
  std::optional<Seq> seq = FindSeq(key);
  return seq ? lists_->order[*seq].get() : nullptr;
}

std::optional<ChildList::Seq> ChildList::FindSeq(const std::string& key) const {
  if (!lists_) return std::nullopt;
  auto found = lists_->index.find(key);
  if (found == lists_->index.end()) return std::nullopt;
  return found->second;
}

bool ChildList::Append(std::string key, std::shared_ptr<Entry> entry) {
  if (!lists_) lists_ = std::make_unique<Lists>();
  const Seq seq = lists_->order.size();
  if (!lists_->index.emplace(std::move(key), seq).second) return false;
  lists_->order.push_back(std::move(entry));
  ++lists_->live;
  return true;
}

std::optional<ChildList::Removed> ChildList::Remove(const std::string& key) {
  if (!lists_) return std::nullopt;
  auto found = lists_->index.find(key);
  if (found == lists_->index.end()) return std::nullopt;
  Removed removed;
  removed.seq = found->second;
  removed.key = key;
  removed.entry = std::move(lists_->order[removed.seq]);
  lists_->index.erase(found);
  --lists_->live;
  return removed;
}

void ChildList::Restore(Removed removed) {
  if (!lists_) lists_ = std::make_unique<Lists>();
  if (removed.seq >= lists_->order.size()) lists_->order.resize(removed.seq + 1);
  lists_->index.emplace(removed.key, removed.seq);
  lists_->order[removed.seq] = std::move(removed.entry);
  ++lists_->live;
  if (removed.seq < lists_->firstLive) lists_->firstLive = removed.seq;
}

std::optional<ChildList::Seq> ChildList::NextLive(Seq from) const {
  const auto& order = lists_->order;
  for (Seq seq = from; seq < order.size(); ++seq) {
    if (order[seq] != nullptr) return seq;
  }
  return std::nullopt;
}

std::optional<ChildList::Seq> ChildList::First() const {
  if (!lists_ || lists_->live == 0) return std::nullopt;
  std::optional<Seq> first = NextLive(lists_->firstLive);
  if (first) lists_->firstLive = *first;  // no child lives before it
  return first;
}

std::optional<ChildList::Seq> ChildList::After(Seq seq) const {
  if (!lists_) return std::nullopt;
  return NextLive(seq + 1);
}

const std::shared_ptr<Entry>& ChildList::At(Seq seq) const {
  static const std::shared_ptr<Entry> kNone;
  if (!lists_ || seq >= lists_->order.size()) return kNone;
  return lists_->order[seq];
}

const std::vector<std::shared_ptr<Entry>>& ChildList::InOrder() const {
  static const auto* const kNone = new std::vector<std::shared_ptr<Entry>>();
  return lists_ ? lists_->order : *kNone;
}

const EntryDetails& Entry::Details() const {
  static const EntryDetails kNone;
  return details_ ? *details_ : kNone;
}

EntryDetails& Entry::EditDetails() {
  if (!details_) details_ = std::make_unique<EntryDetails>();
  return *details_;
}

bool Entry::Fails(const char* operation) const {
  const std::vector<std::string>& fail = Details().fail;
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
