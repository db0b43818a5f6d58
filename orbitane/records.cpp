// The two record types of the vendor interface: child definitions and property sets.
#include <algorithm>
#include <cstring>
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
    const int order = std::strcmp(entry, key);
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
  std::string entry;
  entry.reserve(keyLength + textLength + 2);
  entry.append(key, keyLength + 1).append(text, textLength + 1);
  // Most records get two or three entries of about 50 bytes in all: one block from the start.
  if (packed_.empty()) packed_.reserve(kUsualRecordSize);
  packed_.insert(place.at, entry);
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

const char* NodePropertySet::GetPropertyValue(const char* name) const {
  auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : found->second.value.c_str();
}

bool NodePropertySet::PropertyExists(const char* name) const { return entries_.count(name) != 0; }

void NodePropertySet::SetPropertyValue(const char* name, const char* value) {
  SetPropertyValueWithAction(name, value == nullptr ? "" : value, ACTION_CHANGE);
}

void NodePropertySet::SetPropertyValueWithAction(const char* name, const char* value,
                                                 action_t action) {
  // Restoring a value that did not exist at the last load means the entry goes away.
  if (value == nullptr) {
    entries_.erase(name);
    return;
  }
  Entry& entry = entries_[name];
  entry.value = value;
  entry.action = action;
}

bool NodePropertySet::EraseProperty(const char* name) { return entries_.erase(name) != 0; }

void NodePropertySet::DoForEachProperty(NameValueActionAlgorithm& algorithm) const {
  for (const auto& [name, entry] : entries_) {
    algorithm.Process(name.c_str(), entry.value.c_str(), entry.action);
  }
}
