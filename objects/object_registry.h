// The process-wide map from object name (exact, case-sensitive, byte order) to object.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "objects/config_object.h"

class ObjectRegistry {
 public:
  using Map = std::map<std::string, std::unique_ptr<ConfigObject>>;

  ConfigObject* Find(const std::string& name) const;
  // Makes name map to object (the registry owns it), adding the entry if needed.
  void Insert(const std::string& name, std::unique_ptr<ConfigObject> object);
  // Removes name and hands its object back to the caller; null when not registered.
  std::unique_ptr<ConfigObject> Remove(const std::string& name);

  // Iteration in key order.
  Map::const_iterator begin() const { return objects.begin(); }
  Map::const_iterator end() const { return objects.end(); }
  size_t size() const { return objects.size(); }
  bool empty() const { return objects.empty(); }

 private:
  Map objects;
};

// The parent's name, or the empty text for an object without parent.
std::string ParentName(const ConfigObject& object);

// Whether object belongs to the selection that a reserved name (ALL, AGENT, DSM, TARGET, BROKER,
// AUTOCONFIG, any case) stands for.
bool SelectedBy(const std::string& reservedName, const ConfigObject& object);
