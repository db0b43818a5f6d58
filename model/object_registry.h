// The map from object name (exact, case-sensitive, byte order) to object.
//
// Beside the map the registry keeps, for every parent name, the names of the registered objects
// under it and the identities of their records, so that walks of the tree and the duplicate
// tests of SPAWN cost a keyed lookup rather than a scan of every registered object.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "absl/container/btree_map.h"
#include "absl/container/flat_hash_map.h"
#include "model/config_object.h"

// The byte order of names (that of std::string_view), compared in line: names are short, and a
// call to memcmp for each of the twenty steps of a lookup among a million names cost a tenth of
// such a run.
struct NameOrder {
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
      if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    }
    return a.size() < b.size();
  }
};

class ObjectRegistry {
 public:
  // Name -> object in key order, keyed by a view of the object's own name (no second copy of
  // it). Ordered rather than hashed: a script spawns names in runs ("t1", "t2", ...), and a
  // lookup then follows the path of the one before it through the cache. A B-tree holds a
  // dozen entries side by side in each node, where a red-black tree took an allocation of
  // three pointers and a colour per entry: about half the memory, and a few cache misses per
  // lookup instead of twenty. Its iterators do not outlive an insertion or removal, so nothing
  // that changes the registry runs while an iteration over it is under way.
  using Map = absl::btree_map<std::string_view, std::unique_ptr<ConfigObject>, NameOrder>;
  // The registered children of one parent name by their names (views of the objects' own
  // names), in key order.
  using Children = absl::btree_map<std::string_view, ConfigObject*, NameOrder>;

  ObjectRegistry() = default;
  ~ObjectRegistry();
  ObjectRegistry(const ObjectRegistry&) = delete;
  ObjectRegistry& operator=(const ObjectRegistry&) = delete;

  ConfigObject* Find(const std::string& name) const;
  // Makes name map to object (the registry owns it), adding the entry if needed; an object
  // that the name mapped to before is destroyed. A null object only removes the name. Reads the
  // object's record once, for the identity index (see HasChildWithIdentity).
  void Insert(const std::string& name, std::unique_ptr<ConfigObject> object);
  // Removes name and hands its object back to the caller; null when not registered.
  std::unique_ptr<ConfigObject> Remove(const std::string& name);
  // Removes and destroys every registered object named in names, which must hold whole
  // subtrees only (as CollectSubtree and CollectDescendants give them): the families of the
  // dropped parents go at once instead of child by child.
  void DestroySubtrees(const std::set<std::string>& names);
  // Destroys every object.
  void Clear();

  // Iteration in key order.
  Map::const_iterator begin() const { return objects.begin(); }
  Map::const_iterator end() const { return objects.end(); }
  size_t size() const { return objects.size(); }
  bool empty() const { return objects.empty(); }

  // The registered objects whose ParentName is parentName, in key order ("" for the objects
  // without parent).
  const Children& ChildrenOf(const std::string& parentName) const;
  // Whether a registered object whose parent link is parent has identityKey among the keys
  // that IdentityKeys (model/child_identity.h) gave for it when it was registered.
  bool HasChildWithIdentity(const ConfigObject& parent, const std::string& identityKey) const;
  // That registered object; null when there is none.
  const ConfigObject* ChildWithIdentity(const ConfigObject& parent,
                                        const std::string& identityKey) const;
  // Whether a registered object of that kind has parent's name as its ParentName. Every such
  // object has parent as its link: a parent leaves the registry only with its subtree.
  bool HasChildOfKind(const ConfigObject& parent, ObjectKind kind) const;
  // Adds to names the name with, for every registered object whose ParentName equals it, that
  // object's subtree; nothing when name is not registered. A name already in names is taken to
  // have its subtree there too, so names must hold whole subtrees only (as the results of
  // earlier calls do).
  void CollectSubtree(const std::string& name, std::set<std::string>& names) const;

 private:
  // The registered children that hold one identity key: nearly always a single one, kept
  // without an allocation of its own; a key that several hold gets a hash set.
  class Holders {
   public:
    void Add(const ConfigObject* child);
    void Remove(const ConfigObject* child);
    bool empty() const { return single == nullptr && many == nullptr; }
    // Whether test gives true for any holder.
    template <typename Test>
    bool Any(Test test) const {
      if (single != nullptr) return test(single);
      if (many != nullptr) {
        for (const ConfigObject* child : *many) {
          if (test(child)) return true;
        }
      }
      return false;
    }

   private:
    const ConfigObject* single = nullptr;
    std::unique_ptr<std::unordered_set<const ConfigObject*>> many;
  };
  struct Family {
    Children children;
    // Hash of an identity key -> the children that hold a key of that hash; the keys themselves
    // are compared in the children's registeredIdentityKeys. Held in one open table rather than
    // a node per key: a family of ten thousand targets has ten thousand keys.
    absl::flat_hash_map<size_t, Holders> identities;
    std::array<uint32_t, kObjectKindCount> kindCounts{};  // children by ObjectKind
  };
  // Takes the registered object out of its parent's family (children and identity index), if
  // that family is still there.
  void LeaveFamily(const std::string& name, const ConfigObject& object);

  // The family of parentName; null when it has none.
  Family* FamilyOf(std::string_view parentName) const;
  // Forgets what the lookups below remember; called before an object or a family leaves.
  void Changed();

  Map objects;
  std::unordered_map<std::string, Family> families;  // by parent name (nodes stay in place)

  // What the last lookups found, for the next to start from: a script names the same object on
  // line after line, and SPAWN tests a new name just before registering it.
  uint64_t generation = 0;  // counts changes to objects: lastMiss.at is valid while it stands
  struct Miss {
    std::string name;
    Map::const_iterator at;  // where name would go
    uint64_t generation = ~uint64_t{0};
  };
  mutable Miss lastMiss;
  mutable ConfigObject* lastFound = nullptr;
  mutable const std::string* lastFamilyName = nullptr;
  mutable Family* lastFamily = nullptr;
};

// The parent's name, or the empty text for an object without parent.
std::string ParentName(const ConfigObject& object);

// Enters object in the registry of its workspace under name when its node answers and gives true;
// otherwise destroys it (and its node) and gives false. A null object (not allocated) gives false.
bool KeepOrDiscard(std::unique_ptr<ConfigObject> object, const std::string& name);
