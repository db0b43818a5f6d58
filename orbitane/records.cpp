// The two record types of the vendor interface: child definitions and property sets.
#include <string>

#include "orbitane/orbitaneapi.h"

void ChildDefinitionData::setv(const char* key, const char* value) {
  values_[key] = value == nullptr ? "" : value;
}

void ChildDefinitionData::setv(const char* key, uint16_t value) {
  values_[key] = std::to_string(value);
}

const char* ChildDefinitionData::getv(const char* key) const {
  auto found = values_.find(key);
  return found == values_.end() ? nullptr : found->second.c_str();
}

bool ChildDefinitionData::exists(const char* key) const { return values_.count(key) != 0; }

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
