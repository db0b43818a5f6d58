#include "objects/object_registry.h"

ConfigObject* ObjectRegistry::Find(const std::string& name) const {
  auto found = objects.find(name);
  return found == objects.end() ? nullptr : found->second.get();
}

void ObjectRegistry::Insert(const std::string& name, std::unique_ptr<ConfigObject> object) {
  objects[name] = std::move(object);
}

std::unique_ptr<ConfigObject> ObjectRegistry::Remove(const std::string& name) {
  auto found = objects.find(name);
  if (found == objects.end()) return nullptr;
  std::unique_ptr<ConfigObject> object = std::move(found->second);
  objects.erase(found);
  return object;
}
