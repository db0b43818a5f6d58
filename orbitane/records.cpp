// The two record types of the vendor interface: child definitions and property sets.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "orbitane/orbitaneapi.h"

namespace {

constexpr size_t kUsualRecordSize = 56;

// Where key is, or would go, in a packed record: the offset of the first entry whose key is not
// less than key, and whether that entry's key is key.
struct Place {
  size_t at;
  bool found;
};

Place FindPlace(const std::string& packed, const char* key) {
  const char* const begin = packed.data();
  const char* const end = begin + packed.size();
  for (const char* entry = begin; entry < end;) {
    // Keys mostly differ in their first letter: strcmp only when that is the same.
    const int order = *entry != *key
                          ? static_cast<unsigned char>(*entry) - static_cast<unsigned char>(*key)
                          : std::strcmp(entry, key);
    if (order >= 0) return {static_cast<size_t>(entry - begin), order == 0};
    const char* value = entry + std::strlen(entry) + 1;
    entry = value + std::strlen(value) + 1;
  }
  return {packed.size(), false};
}

}  // namespace

void ChildDefinitionData::setv(const char* key, const char* value) {
  const char* text = value == nullptr ? "" : value;
  const Place place = FindPlace(packed_, key);
  const size_t keyLength = std::strlen(key);
  if (place.found) {
    const size_t valueAt = place.at + keyLength + 1;
    const size_t oldLength = std::strlen(packed_.data() + valueAt);
    packed_.replace(valueAt, oldLength, text);
    return;
  }
  const size_t textLength = std::strlen(text);
  // Most records get two or three entries of about 50 bytes in all: one block from the start.
  if (packed_.empty()) packed_.reserve(kUsualRecordSize);
  const auto inRecord = [this](const char* text) {
    const std::less<const char*> before;
    return !before(text, packed_.data()) && !before(packed_.data() + packed_.size(), text);
  };
  if (inRecord(key) || inRecord(text)) {
    // A text of this record, which the insertions would move: copied first.
    std::string entry;
    entry.append(key, keyLength + 1).append(text, textLength + 1);
    packed_.insert(place.at, entry);
  } else {
    packed_.insert(place.at, text, textLength + 1);
    packed_.insert(place.at, key, keyLength + 1);
  }
}

void ChildDefinitionData::setv(const char* key, uint16_t value) {
  setv(key, std::to_string(value).c_str());
}

const char* ChildDefinitionData::getv(const char* key) const {
  const Place place = FindPlace(packed_, key);
  return place.found ? packed_.data() + place.at + std::strlen(key) + 1 : nullptr;
}

bool ChildDefinitionData::exists(const char* key) const { return getv(key) != nullptr; }

std::vector<ChildDefinitionData::Entry> ChildDefinitionData::entries() const {
  std::vector<Entry> result;
  const char* const end = packed_.data() + packed_.size();
  for (const char* entry = packed_.data(); entry < end;) {
    const char* value = entry + std::strlen(entry) + 1;
    result.emplace_back(entry, value);
    entry = value + std::strlen(value) + 1;
  }
  return result;
}

namespace {

// A packed set spills into separate entries past this many: a lookup among the packed ones is a
// walk along the text.
constexpr size_t kMaxPackedEntries = 8;
// Actions from 0 to this fit the packed entry's byte.
constexpr int kMaxPackedAction = 127;

// One entry of a packed property set, and where it lies in the text.
struct PackedEntry {
  const char* name;
  const char* value;
  action_t action;
  size_t at;   // offset of the name
  size_t end;  // offset just past the action byte
};

template <typename Visit>
void ForEachPacked(const std::string& packed, Visit visit) {
  const char* const begin = packed.data();
  for (size_t at = 0; at < packed.size();) {
    const char* name = begin + at;
    const char* value = name + std::strlen(name) + 1;
    const char* action = value + std::strlen(value) + 1;
    const size_t end = static_cast<size_t>(action + 1 - begin);
    if (!visit(PackedEntry{name, value, static_cast<action_t>(*action), at, end})) return;
    at = end;
  }
}

// The packed entry named name, or where it would go (found false, at the insertion offset).
struct PackedPlace {
  size_t at;
  size_t end;  // past the entry found; at when none was
  bool found;
};

PackedPlace FindPacked(const std::string& packed, const char* name) {
  PackedPlace place{packed.size(), packed.size(), false};
  ForEachPacked(packed, [&](const PackedEntry& entry) {
    const int order = std::strcmp(entry.name, name);
    if (order < 0) return true;
    place = {entry.at, order == 0 ? entry.end : entry.at, order == 0};
    return false;
  });
  return place;
}

size_t PackedCount(const std::string& packed) {
  size_t count = 0;
  ForEachPacked(packed, [&](const PackedEntry&) { return ++count, true; });
  return count;
}

template <typename Entries>
auto PlaceOf(Entries& entries, const char* name) {
  return std::lower_bound(entries.begin(), entries.end(), name,
                          [](const auto& entry, const char* wanted) {
                            return std::strcmp(entry.name.c_str(), wanted) < 0;
                          });
}

}  // namespace

NodePropertySet::NodePropertySet(const NodePropertySet& other)
    : packed_(other.packed_),
      many_(other.many_ ? std::make_unique<std::vector<Entry>>(*other.many_) : nullptr) {}

NodePropertySet& NodePropertySet::operator=(const NodePropertySet& other) {
  if (this != &other) *this = NodePropertySet(other);
  return *this;
}

NodePropertySet::~NodePropertySet() = default;

void NodePropertySet::Spill() {
  auto entries = std::make_unique<std::vector<Entry>>();
  ForEachPacked(packed_, [&](const PackedEntry& entry) {
    entries->push_back(Entry{entry.name, entry.value, entry.action});
    return true;
  });
  many_ = std::move(entries);
  std::string().swap(packed_);
}

const char* NodePropertySet::GetPropertyValue(const char* name) const {
  if (many_) {
    auto found = PlaceOf(*many_, name);
    return found == many_->end() || found->name != name ? nullptr : found->value.c_str();
  }
  const PackedPlace place = FindPacked(packed_, name);
  return place.found ? packed_.data() + place.at + std::strlen(name) + 1 : nullptr;
}

bool NodePropertySet::PropertyExists(const char* name) const {
  return GetPropertyValue(name) != nullptr;
}

void NodePropertySet::SetPropertyValue(const char* name, const char* value) {
  SetPropertyValueWithAction(name, value == nullptr ? "" : value, ACTION_CHANGE);
}

void NodePropertySet::SetPropertyValueWithAction(const char* name, const char* value,
                                                 action_t action) {
  // Restoring a value that did not exist at the last load means the entry goes away.
  if (value == nullptr) {
    EraseProperty(name);
    return;
  }
  // Copied first: value may be a text of this set, which inserting would move.
  std::string text(value);
  if (!many_) {
    const PackedPlace place = FindPacked(packed_, name);
    const bool fits = action >= 0 && action <= kMaxPackedAction &&
                      (place.found || PackedCount(packed_) < kMaxPackedEntries);
    if (fits) {
      std::string entry(name);
      entry.push_back('\0');
      entry.append(text).push_back('\0');
      entry.push_back(static_cast<char>(action));
      packed_.replace(place.at, place.end - place.at, entry);
      return;
    }
    Spill();
  }
  auto at = PlaceOf(*many_, name);
  if (at != many_->end() && at->name == name) {
    at->value = std::move(text);
    at->action = action;
  } else {
    many_->insert(at, Entry{name, std::move(text), action});
  }
}

bool NodePropertySet::EraseProperty(const char* name) {
  if (!many_) {
    const PackedPlace place = FindPacked(packed_, name);
    if (place.found) packed_.erase(place.at, place.end - place.at);
    return place.found;
  }
  auto found = PlaceOf(*many_, name);
  if (found == many_->end() || found->name != name) return false;
  many_->erase(found);
  return true;
}

void NodePropertySet::DoForEachProperty(NameValueActionAlgorithm& algorithm) const {
  if (many_) {
    for (const Entry& entry : *many_) {
      algorithm.Process(entry.name.c_str(), entry.value.c_str(), entry.action);
    }
    return;
  }
  ForEachPacked(packed_, [&](const PackedEntry& entry) {
    algorithm.Process(entry.name, entry.value, entry.action);
    return true;
  });
}

size_t NodePropertySet::size() const { return many_ ? many_->size() : PackedCount(packed_); }
