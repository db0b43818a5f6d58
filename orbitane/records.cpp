// The two record types of the vendor interface: child definitions and property sets.
#include <algorithm>
#include <cstring>
#include <string>

#include "orbitane/orbitaneapi.h"

namespace {

// The first entry whose key is not less than key.
template <typename Entries>
auto LowerBound(Entries& entries, const char* key) {
  return std::lower_bound(entries.begin(), entries.end(), key,
                          [](const auto& entry, const char* wanted) {
                            return std::strcmp(entry.first.c_str(), wanted) < 0;
                          });
}

}  // namespace

void ChildDefinitionData::setv(const char* key, const char* value) {
  const char* text = value == nullptr ? "" : value;
  auto at = LowerBound(values_, key);
  if (at != values_.end() && at->first == key) {
    at->second = text;
  } else {
    // Most records hold two or three entries: one block for them, not three growing ones.
    if (values_.empty()) {
      values_.reserve(3);
      at = values_.begin();
    }
    values_.emplace(at, key, text);
  }
}

void ChildDefinitionData::setv(const char* key, uint16_t value) {
  setv(key, std::to_string(value).c_str());
}

const char* ChildDefinitionData::getv(const char* key) const {
  auto at = LowerBound(values_, key);
  return at != values_.end() && at->first == key ? at->second.c_str() : nullptr;
}

bool ChildDefinitionData::exists(const char* key) const { return getv(key) != nullptr; }

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
