// Visitors run over a working property set with NodePropertySet::DoForEachProperty.
#pragma once

#include <map>
#include <set>
#include <string>

#include "orbitane/orbitaneapi.h"

// Notes whether any entry carries a pending change (a non-zero action).
class ChangeDetector : public NameValueActionAlgorithm {
 public:
  void Process(const char* name, const char* value, action_t action) override;
  bool changed = false;
};

// Gathers every entry into a map ordered byte-wise by name (upper case before lower case).
class PropertyCollector : public NameValueActionAlgorithm {
 public:
  void Process(const char* name, const char* value, action_t action) override;
  std::map<std::string, std::string> properties;
};

// Gathers the names of the entries that carry a pending change.
class PendingChangeCollector : public NameValueActionAlgorithm {
 public:
  void Process(const char* name, const char* value, action_t action) override;
  std::set<std::string> names;
};
