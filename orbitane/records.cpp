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

template <typename Entries>
auto PlaceOf(Entries& entries, const char* name) {
  return std::lower_bound(entries.begin(), entries.end(), name,
                          [](const auto& entry, const char* wanted) {
                            return std::strcmp(entry.name.c_str(), wanted) < 0;
                          });
}

}  // namespace

std::vector<NodePropertySet::Entry>::iterator NodePropertySet::Place(const char* name) {
  return PlaceOf(entries_, name);
}

std::vector<NodePropertySet::Entry>::const_iterator NodePropertySet::Place(const char* name) const {
  return PlaceOf(entries_, name);
}

const char* NodePropertySet::GetPropertyValue(const char* name) const {
  auto found = Place(name);
  return found == entries_.end() || found->name != name ? nullptr : found->value.c_str();
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
  auto at = Place(name);
  if (at != entries_.end() && at->name == name) {
    at->value = std::move(text);
    at->action = action;
  } else {
    entries_.insert(at, Entry{name, std::move(text), action});
  }
}

bool NodePropertySet::EraseProperty(const char* name) {
  auto found = Place(name);
  if (found == entries_.end() || found->name != name) return false;
  entries_.erase(found);
  return true;
}

void NodePropertySet::DoForEachProperty(NameValueActionAlgorithm& algorithm) const {
  for (const Entry& entry : entries_) {
    algorithm.Process(entry.name.c_str(), entry.value.c_str(), entry.action);
  }
}
