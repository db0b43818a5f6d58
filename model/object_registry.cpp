#include "model/object_registry.h"

#include <functional>
#include <utility>

#include "model/child_identity.h"
#include "model/workspace.h"
#include "runtime/case_insensitive.h"

ObjectRegistry::~ObjectRegistry() { Clear(); }

ConfigObject* ObjectRegistry::Find(const std::string& name) const {
  if (lastFound != nullptr && lastFound->name() == name) return lastFound;
  auto at = objects.lower_bound(name);
  if (at != objects.end() && at->first == name) return lastFound = at->second.get();
  lastMiss = {name, at, generation};
  return nullptr;
}

void ObjectRegistry::Changed() {
  ++generation;
  lastFound = nullptr;
  lastFamily = nullptr;
}

ObjectRegistry::Family* ObjectRegistry::FamilyOf(std::string_view parentName) const {
  if (lastFamily != nullptr && *lastFamilyName == parentName) return lastFamily;
  auto found = families.find(std::string(parentName));
  if (found == families.end()) return nullptr;
  lastFamilyName = &found->first;
  // The registry's own family: const here only because lookups are.
  return lastFamily = const_cast<Family*>(&found->second);
}

void ObjectRegistry::Insert(const std::string& name, std::unique_ptr<ConfigObject> object) {
  // One descent finds the place: the entry to replace, or where the new one goes; none when
  // the last lookup was of this name and found it missing (as SPAWN's test does just before).
  Map::const_iterator at = lastMiss.generation == generation && lastMiss.name == name
                               ? lastMiss.at
                               : objects.lower_bound(name);
  if (at != objects.end() && at->first == name) {
    // Replacing an entry: the old object leaves every index and is destroyed (its name, which
    // the key views, with it).
    Changed();
    std::unique_ptr<ConfigObject> old = std::move(objects.find(name)->second);
    at = objects.erase(at);
    LeaveFamily(name, *old);
  }
  if (object == nullptr) return;  // a null object only removes the name
  object->registeredIdentityKeys = IdentityKeys(*object);

  // The family's key stays where it is until the family goes, which is after its last member.
  const ConfigObject* parent = object->parent();
  const std::string_view parentName = parent == nullptr ? std::string_view() : parent->name();
  Family* known = FamilyOf(parentName);
  if (known == nullptr) {
    auto familyAt = families.try_emplace(std::string(parentName)).first;
    lastFamilyName = &familyAt->first;
    known = lastFamily = &familyAt->second;
  }
  object->registeredParentName = lastFamilyName;
  Family& family = *known;
  family.children.emplace(object->name(), object.get());
  ++family.kindCounts[KindIndex(object->kind())];
  object->registeredIdentityKeys.ForEach([&](std::string_view key) {
    family.identities[std::hash<std::string_view>()(key)].Add(object.get());
  });
  const std::string_view key = object->name();
  objects.emplace_hint(at, key, std::move(object));
  ++generation;  // iterators are no longer valid; objects found still are
}

std::unique_ptr<ConfigObject> ObjectRegistry::Remove(const std::string& name) {
  auto found = objects.find(name);
  if (found == objects.end()) return nullptr;
  Changed();
  std::unique_ptr<ConfigObject> object = std::move(found->second);
  objects.erase(found);
  LeaveFamily(name, *object);
  return object;
}

void ObjectRegistry::LeaveFamily(const std::string& name, const ConfigObject& object) {
  if (object.registeredParentName == nullptr) return;
  auto familyAt = families.find(*object.registeredParentName);
  if (familyAt == families.end()) return;
  Family& family = familyAt->second;
  family.children.erase(name);
  --family.kindCounts[KindIndex(object.kind())];
  object.registeredIdentityKeys.ForEach([&](std::string_view key) {
    auto holders = family.identities.find(std::hash<std::string_view>()(key));
    if (holders == family.identities.end()) return;
    holders->second.Remove(&object);
    if (holders->second.empty()) family.identities.erase(holders);
  });
  if (family.children.empty()) families.erase(familyAt);
}

void ObjectRegistry::DestroySubtrees(const std::set<std::string>& names) {
  // Only the roots of the subtrees leave a family that stays (their parents are not in names);
  // the families of the names themselves go whole, and with them the keys the others hold.
  Changed();
  for (const std::string& name : names) {
    auto found = objects.find(name);
    if (found == objects.end()) continue;
    const std::string* parentName = found->second->registeredParentName;
    if (parentName != nullptr && names.count(*parentName) == 0) LeaveFamily(name, *found->second);
  }
  for (const std::string& name : names) families.erase(name);
  for (const std::string& name : names) objects.erase(name);
}

void ObjectRegistry::Clear() {
  // Children point to their parents but never use them when destroyed, so any order will do.
  Changed();
  objects.clear();
  families.clear();
}

const ObjectRegistry::Children& ObjectRegistry::ChildrenOf(const std::string& parentName) const {
  static const Children none;
  const Family* family = FamilyOf(parentName);
  return family == nullptr ? none : family->children;
}

bool ObjectRegistry::HasChildWithIdentity(const ConfigObject& parent,
                                          const std::string& identityKey) const {
  return ChildWithIdentity(parent, identityKey) != nullptr;
}

const ConfigObject* ObjectRegistry::ChildWithIdentity(const ConfigObject& parent,
                                                      const std::string& identityKey) const {
  const Family* family = FamilyOf(parent.name());
  if (family == nullptr) return nullptr;
  auto holders = family->identities.find(std::hash<std::string_view>()(identityKey));
  if (holders == family->identities.end()) return nullptr;
  // Every object indexed under a parent's name has that parent as its link (a parent leaves
  // the registry only together with its subtree), so the first holder normally answers; keys
  // of one hash share their holders, so the key itself is compared too.
  const ConfigObject* found = nullptr;
  holders->second.Any([&](const ConfigObject* child) {
    if (child->parent() != &parent) return false;
    if (!child->registeredIdentityKeys.Contains(identityKey)) return false;
    found = child;
    return true;
  });
  return found;
}

bool ObjectRegistry::HasChildOfKind(const ConfigObject& parent, ObjectKind kind) const {
  const Family* family = FamilyOf(parent.name());
  return family != nullptr && family->kindCounts[KindIndex(kind)] != 0;
}

void ObjectRegistry::Holders::Add(const ConfigObject* child) {
  if (single == nullptr && many == nullptr) {
    single = child;
    return;
  }
  if (many == nullptr) {
    many = std::make_unique<std::unordered_set<const ConfigObject*>>();
    many->insert(single);
    single = nullptr;
  }
  many->insert(child);
}

void ObjectRegistry::Holders::Remove(const ConfigObject* child) {
  if (single == child) {
    single = nullptr;
  } else if (many != nullptr) {
    many->erase(child);
    if (many->empty()) many.reset();
  }
}

void ObjectRegistry::CollectSubtree(const std::string& name, std::set<std::string>& names) const {
  if (objects.count(name) == 0) return;
  if (!names.insert(name).second) return;  // its subtree is in names already
  // Depth first with an explicit stack: a long chain of objects must not exhaust the call stack.
  std::vector<const Children*> pending{&ChildrenOf(name)};
  while (!pending.empty()) {
    const Children& children = *pending.back();
    pending.pop_back();
    for (const auto& [childName, child] : children) {
      if (names.emplace(childName).second) pending.push_back(&ChildrenOf(child->name()));
    }
  }
}

std::string ParentName(const ConfigObject& object) {
  return object.parent() == nullptr ? std::string() : object.parent()->name();
}

bool KeepOrDiscard(std::unique_ptr<ConfigObject> object, const std::string& name) {
  if (object == nullptr || !object->IsAlive()) return false;
  ObjectRegistry& registry = object->workspace().registry();
  registry.Insert(name, std::move(object));
  return true;
}
