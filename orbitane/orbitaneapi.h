// The interface of the installation's vendor library, as the engine uses it.
//
// The installation is a tree of nodes behind the event server. Nodes, walkers and property sets
// handed out by the library belong to the caller, who deletes them; text handed out belongs to
// the caller too and is released with SharedHeapFree. The engine includes only this header, so a
// build can link any implementation of it (the simulated installation by default).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#define ORBITANE_EXPORT __attribute__((visibility("default")))

// Text handed across the boundary in either direction is allocated and released with this one
// pair, so that an implementation with a heap of its own can be linked.
char* SharedHeapStrdup(const char* text);
void SharedHeapFree(void* block);

// Pending-change marker of a property entry. 0 means no pending change; any other value is a
// change that a commit must write.
enum action_t : int {
  ACTION_NONE = 0,
  ACTION_ADD = 1,
  ACTION_CHANGE = 2,
};

// A small key -> text record describing a child node ("ipaddr", "port", "name", "community",
// "kind", "version", "filename"). Copyable; numbers are stored as decimal text.
class ChildDefinitionData {
 public:
  void setv(const char* key, const char* value);
  void setv(const char* key, uint16_t value);
  // The value stored under key, or null when absent. Valid until the record changes.
  const char* getv(const char* key) const;
  bool exists(const char* key) const;
  using Entry = std::pair<std::string, std::string>;
  // Every entry in key order, for implementations that store or trace records.
  std::vector<Entry> entries() const;

 private:
  // Every key and its value, each followed by its NUL, in key order, in one text. A record holds
  // a handful of short entries and is copied often (every node keeps one, callers copy it): one
  // small block of about 50 bytes, where a vector of string pairs took 24 + 64 a entry.
  std::string packed_;
};

class NameValueAlgorithm {
 public:
  NameValueAlgorithm();
  NameValueAlgorithm(const NameValueAlgorithm&);
  NameValueAlgorithm& operator=(const NameValueAlgorithm&);
  virtual ~NameValueAlgorithm();
  // Called once per entry of a visited set.
  virtual void Process(const char* name, const char* value) = 0;
};

class NameValueActionAlgorithm {
 public:
  NameValueActionAlgorithm();
  NameValueActionAlgorithm(const NameValueActionAlgorithm&);
  NameValueActionAlgorithm& operator=(const NameValueActionAlgorithm&);
  virtual ~NameValueActionAlgorithm();
  // Called once per entry of a visited set, with the entry's pending action.
  virtual void Process(const char* name, const char* value, action_t action) = 0;
};

// An assignable set of name -> value entries, each with a pending action.
class NodePropertySet {
 public:
  NodePropertySet() = default;
  NodePropertySet(const NodePropertySet& other);
  NodePropertySet& operator=(const NodePropertySet& other);
  NodePropertySet(NodePropertySet&&) noexcept = default;
  NodePropertySet& operator=(NodePropertySet&&) noexcept = default;
  ~NodePropertySet();

  // The value of name, or null when absent. Valid until the set changes.
  const char* GetPropertyValue(const char* name) const;
  bool PropertyExists(const char* name) const;
  // Stores value under name and marks the entry as a pending change (ACTION_CHANGE).
  void SetPropertyValue(const char* name, const char* value);
  // Stores value under name with the given action; a null value removes the entry.
  void SetPropertyValueWithAction(const char* name, const char* value, action_t action);
  // Removes name; true when it was there.
  bool EraseProperty(const char* name);
  // Calls algorithm.Process for every entry, in name order.
  void DoForEachProperty(NameValueActionAlgorithm& algorithm) const;
  size_t size() const;

 private:
  struct Entry {
    std::string name;
    std::string value;
    action_t action;
  };
  // Moves the packed entries into many_.
  void Spill();

  // A working copy is made for every object that a command reads or changes, and nearly all
  // hold one to a few short entries: those sit packed in one text, in name order, each as its
  // name's length, its action, its value's length, then its name and its value with their NULs,
  // so that a set of one short entry needs no block of its own and a walk along it measures no
  // text. A set that grows past a handful of entries, or holds a long text or an action beyond a
  // byte, keeps its entries in many_ instead (sorted by name), where a lookup is a binary search;
  // packed_ is then empty.
  std::string packed_;
  std::unique_ptr<std::vector<Entry>> many_;
};

class TreeNode;

// Walks the children of one node. All operations are abstract.
class ORBITANE_EXPORT TreeWalker {
 public:
  TreeWalker();
  TreeWalker(const TreeWalker&);
  TreeWalker& operator=(const TreeWalker&);
  virtual ~TreeWalker();
  // Moves to the next child; AtEnd once past the last.
  virtual void Next() = 0;
  virtual bool AtEnd() = 0;
  // Moves to the first child; AtEnd when there is none.
  virtual void First() = 0;
  // Moves to the first child whose identity matches record; AtEnd when none does.
  virtual void Seek(const ChildDefinitionData& record) = 0;
  // A new node object for the current child, owned by the caller; null when AtEnd.
  virtual TreeNode* Current() = 0;
};

// One node of the installation tree.
class ORBITANE_EXPORT TreeNode {
 public:
  TreeNode();
  TreeNode(const TreeNode&);
  TreeNode& operator=(const TreeNode&);
  virtual ~TreeNode();

  // Writes a new child entry described by record; the new node (caller owns) or null on failure.
  virtual TreeNode* AddChild(const ChildDefinitionData& record) = 0;
  // Removes the child described by record and everything below it; true when it was there.
  virtual bool RemoveChildByData(const ChildDefinitionData& record) = 0;
  // Removes child and everything below it. Default: RemoveChildByData of its definition.
  virtual bool RemoveChild(TreeNode* child);
  // A new copy of the node's properties, every action 0 (caller owns); null on failure.
  virtual NodePropertySet* GetProperties() = 0;
  // The node's properties become exactly the entries of set; false on failure.
  virtual bool SetProperties(const NodePropertySet& set) = 0;
  // "Root", "Agent", "Broker", "AutoConfig", "DSM" or "Target"; owned by the node.
  virtual const char* GetTypeName() = 0;
  // The record that identifies the node; owned by the node, to be copied.
  virtual const ChildDefinitionData& GetDefinitionData() = 0;
  // Held for the vendor library's own use; the engine never calls it.
  virtual void VendorReservedA() = 0;
  // A new walker over the node's children (caller owns); null when there is none.
  virtual TreeWalker* GetChildWalker() = 0;
  // Remembers password for the child named by record, for the next lookup of it.
  virtual void SupplyChildPassword(const ChildDefinitionData& record, const char* password) = 0;
  // Sets the password of the node named by record; false on failure.
  virtual bool ChangeChildPassword(const ChildDefinitionData& record, const char* password) = 0;
  // Held for the vendor library's own use; the engine never calls it.
  virtual void VendorReservedB() = 0;
  // Tells the node that the authentication of record's node changed. Default: 1.
  virtual int AuthenticationChanged(const ChildDefinitionData& record);
  // Puts record in the library's normal form. Default: false (nothing done).
  virtual bool NormalizeChildData(ChildDefinitionData& record);
  // A named data item (caller frees with SharedHeapFree), or null. Default: null.
  virtual char* GetNamedDataItem(const char* item);
  // Runs a remote command on the node; true when accepted. Default: false.
  virtual bool ExecuteCommand(const char* command, const char* arguments);
  // Whether the node answers. Default: true.
  virtual bool NodeIsAlive();
  // Whether a child described by record may be added. Default: true.
  virtual bool CanAddChild(const ChildDefinitionData& record);
  // A node for a child that the parent finds by record (caller owns), or null. Default: null.
  virtual TreeNode* GetPotentialChild(const ChildDefinitionData& record);
};

// The authenticated hold on the installation's tree.
class ORBITANE_EXPORT TreeRootHolder {
 public:
  TreeRootHolder();
  TreeRootHolder(const TreeRootHolder&);
  TreeRootHolder& operator=(const TreeRootHolder&);
  virtual ~TreeRootHolder();
  // The root node for record ("filename" = "nul"), owned by the caller; null on failure.
  virtual TreeNode* GetRootNode(const ChildDefinitionData& record) = 0;

  // Authenticates user with password to server for the tree of the given kind ("distributed").
  // A new holder (caller owns), or null when authentication failed.
  static TreeRootHolder* GetRoot(const char* kind, const char* server, const char* user,
                                 const char* password);
};

// Called once before and once after each use of the library (one server session).
void initAPI();
void destroyAPI();
