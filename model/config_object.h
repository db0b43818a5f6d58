// One configuration object that a script names: an agent, broker, DSM, target or autoconfig
// object, with the vendor node through which commands reach the installation and the working
// copy of its properties and rule values.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/identity_key_set.h"
#include "model/object_kind.h"
#include "orbitane/orbitaneapi.h"

// Rule number -> description, shared by every object of one branch of the tree. Held through
// shared_ptr so that it stays valid while any object points to it, whichever is destroyed first.
using RuleDescriptions = std::map<int32_t, std::string>;

// One row of a rule table: the value in force and whether it comes from above.
struct RuleRow {
  std::string description;
  int value = 0;
  bool inherited = false;
};
using RuleTable = std::map<int32_t, RuleRow>;

class Workspace;

class ConfigObject {
 public:
  // --- Construction forms: each starts without a node and tries to obtain one. The object
  // belongs to workspace, whose server session gives an agent's node and whose registry takes
  // the children that the object adds and spawns. ---
  // Agents (from the session's root node) and brokers (a walker search under parent's node).
  static std::unique_ptr<ConfigObject> LocateByAddress(Workspace& workspace,
                                                       const std::string& name, ObjectKind kind,
                                                       const char* address, uint16_t port,
                                                       const char* password, ConfigObject* parent);
  static std::unique_ptr<ConfigObject> LocateDsmByName(Workspace& workspace,
                                                       const std::string& name, ObjectKind kind,
                                                       const char* dsmName, ConfigObject* parent);
  static std::unique_ptr<ConfigObject> LocateTargetByAddress(Workspace& workspace,
                                                             const std::string& name,
                                                             ObjectKind kind, const char* address,
                                                             const char* community,
                                                             ConfigObject* parent);
  // The agent's local broker or the broker's autoconfig object.
  static std::unique_ptr<ConfigObject> LocateLocalChild(Workspace& workspace,
                                                        const std::string& name, ObjectKind kind,
                                                        ConfigObject* parent);
  // An object around a node just returned by AddChild; the node is deleted when not taken.
  static std::unique_ptr<ConfigObject> AdoptNode(Workspace& workspace, const std::string& name,
                                                 ObjectKind kind, TreeNode* node,
                                                 ConfigObject* parent);

  // An object of workspace around node (none when null), as a program that makes its own
  // nodes builds it.
  ConfigObject(Workspace& workspace, const std::string& name, ObjectKind kind, ConfigObject* parent,
               std::unique_ptr<TreeNode> node = nullptr);
  ~ConfigObject();
  ConfigObject(const ConfigObject&) = delete;
  ConfigObject& operator=(const ConfigObject&) = delete;

  const std::string& name() const { return objectName; }
  ObjectKind kind() const { return objectKind; }
  ConfigObject* parent() const { return parentObject; }  // not owned; null for an agent
  TreeNode* node() const { return treeNode.get(); }      // null when none was obtained
  Workspace& workspace() const { return *home; }

  // Whether the node still answers (and a server session exists).
  bool IsAlive() const;
  // Whether the object has a node and a server session exists; the operations on properties,
  // rules and remote commands do nothing to an object that is not available.
  bool IsAvailable() const;
  // The node's record with defaults filled in by kind; empty without node or session.
  ChildDefinitionData GetDefinitionWithDefaults() const;

  // --- Children ---
  // ADD: writes a new broker entry into this agent's configuration (asking CanAddChild first
  // when check is set) and registers an object for it.
  bool AddBroker(const std::string& childName, const char* address, uint16_t port,
                 const char* password, bool check);
  // ADD: the same for a target entry of this DSM.
  bool AddTarget(const std::string& childName, const char* address, const char* community,
                 bool check);
  // SPAWN: registers an object for a child already in the configuration, unless a registered
  // child of this object has the same identity.
  bool SpawnBroker(const std::string& childName, const char* address, uint16_t port,
                   const char* password);
  bool SpawnDsm(const std::string& childName, const char* dsmName);
  bool SpawnTarget(const std::string& childName, const char* address, const char* community);
  // The agent's local broker (kind Broker) or the broker's autoconfig object (AutoConfig).
  bool SpawnLocalChild(const std::string& childName, ObjectKind childKind);
  // DEL: removes those of names that are children of this object from its configuration and
  // destroys their objects and every registered object below them; the number of children.
  int DeleteChildren(std::set<std::string> names);
  // Adds the names of every registered object below this one (by parent link) to names.
  void CollectDescendants(std::set<std::string>& names) const;
  // PASSWORD: changes the password of this object's node through the root node and tells the
  // root and every node up the chain.
  bool SetPassword(const char* newPassword);
  // The agent at the top of the chain of parents; null when the top object is no agent.
  ConfigObject* FindAgent();

  // --- Property working set ---
  bool EnsurePropertiesLoaded();
  // Whether the working copy is loaded (reading it never loads it).
  bool HasWorkingSet() const { return workingSet != nullptr; }
  // Drops the working copy unwritten; the next access loads the node's properties afresh.
  void DropWorkingSet() { workingSet.reset(); }
  const char* GetProperty(const char* propertyName);
  // A null value restores the value saved at the last load.
  bool SetProperty(const char* propertyName, const char* value);
  std::map<std::string, std::string> GetAllProperties();
  bool HasPropertyChanges() const;
  // The names of the properties whose change is not yet committed; none without a working copy.
  std::set<std::string> ChangedPropertyNames() const;
  bool RuleValuesChanged() const;
  void CollectRuleValues(std::map<int32_t, int32_t>& values);
  // Writes the working copy (with the rule values and exclusion text) back to the node and
  // drops it; true when the node took it, or when nothing was loaded.
  bool CommitProperties();

  // --- Rule sensitivities ---
  bool LoadRuleList();
  const char* GetRuleDescription(int32_t rule);
  RuleRow GetRule(int32_t rule);
  RuleTable GetRuleTable();
  bool SetRuleValue(int32_t rule, int32_t value);
  // The value this object would have for rule without its own: that of the nearest object above
  // whose properties are loaded (as reading this object's rule row leaves them) and that sets
  // it, else 10. Loads nothing.
  int InheritedRuleValue(int32_t rule) const;

 private:
  friend class ObjectRegistry;

  Workspace* home;
  ConfigObject* parentObject;
  std::string objectName;
  ObjectKind objectKind;
  std::unique_ptr<TreeNode> treeNode;
  // The working copy of the properties and the values it was loaded with, in one block of its
  // own: most objects never load theirs, and every object is smaller without them.
  struct WorkingSet {
    NodePropertySet properties;
    NodePropertySet saved;
  };
  std::unique_ptr<WorkingSet> workingSet;  // null until loaded

  // What few objects have, kept apart so that the many others stay small: the rule descriptions
  // in force (null until needed), and what loading the properties takes out of them: the own
  // rule values ("qpk_own", then edited by SetRuleValue) with their text as loaded, and the
  // exclusion text.
  struct SetAside {
    std::shared_ptr<RuleDescriptions> ruleDescriptions;
    std::map<int32_t, int32_t> ownRuleValues;
    std::string ownRuleText;
    std::string excludeText;
  };
  // Empty values while the object has none (most objects never do).
  const SetAside& setAside() const;
  // The values to change, made on first use.
  SetAside& EditSetAside();
  // The rule descriptions in force: the object's own, else the nearest ancestor's, else those
  // loaded on the topmost object of the branch; the object keeps a pointer to them. Null when
  // no rule list can be had.
  const RuleDescriptions* RuleListInForce();
  // The row of rule with description, from the own values or else those inherited.
  RuleRow MakeRuleRow(const std::string& description, int32_t rule,
                      const std::map<int32_t, int32_t>& inherited) const;

  // Where the registry has indexed this object while it is registered: its parent's name (the
  // key of its family in the registry, which stays while the object is in it) and its identity
  // keys, read once on entry. Kept with the object rather than read from the parent link, so
  // that the object can leave the indexes after its parent was destroyed.
  const std::string* registeredParentName = nullptr;
  IdentityKeySet registeredIdentityKeys;
  // Made on first need, so that the many objects without rule values stay small.
  std::unique_ptr<SetAside> setAsideValues;
};
