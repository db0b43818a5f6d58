// The in-memory installation of the simulator: entries for the nodes of the tree, each parent's
// children in file order with a keyed index, and the site-wide data (server, users, rules).
//
// Entries are held by shared_ptr from their parent only; node objects handed to the engine hold
// weak_ptrs, so a node whose entry was removed (or whose installation was unloaded) simply finds
// nothing and fails, instead of touching freed memory.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sim/entry_pool.h"
#include "sim/short_text.h"
#include "sim/text_map.h"

class ChildDefinitionData;

namespace sim {

enum class Kind { Root, Agent, Broker, AutoConfig, Dsm, Target };

struct Entry;
class NodeAnchor;

// The children of one entry: file order for walkers, an index by identity key for lookups.
// Positions are sequence numbers that never move (a child's place in one vector, left empty
// when it is removed), so a walker stays valid while children are added or removed, and a walk
// reads the children in order from contiguous memory. The index is a table of (hash, position)
// pairs probed in order: adding a child allocates nothing of its own, and lookups and removals
// cost one probe sequence whatever the number of children. A key is not stored: a slot whose
// hash matches is confirmed against the child's own identity key, which never changes while the
// child is attached (a large installation would otherwise keep a second copy of every key).
// Children are often looked up in file order (a script that spawns a DSM's targets one after
// another): the place after the last child found is tried before the index, whose table, larger
// than the caches for a large DSM, costs a cache miss per lookup.
class ChildList {
 public:
  using Seq = uint64_t;

  // A removed child with its place, so that a failed write-back can put it back.
  struct Removed {
    Seq seq = 0;
    std::string key;
    std::shared_ptr<Entry> entry;
  };

  // The child with that identity key, or null.
  Entry* Find(const std::string& key) const;
  std::optional<Seq> FindSeq(const std::string& key) const;
  // Appends a child at the end; false (and nothing done) when the key is taken. key is the child's
  // IdentityKey.
  bool Append(std::string key, std::shared_ptr<Entry> entry);
  std::optional<Removed> Remove(const std::string& key);
  void Restore(Removed removed);

  std::optional<Seq> First() const;
  std::optional<Seq> After(Seq seq) const;
  // The child at seq, or null when it has been removed; valid until the list changes.
  const std::shared_ptr<Entry>& At(Seq seq) const;

  size_t size() const { return storage ? storage->live : 0; }
  // Every place in file order; the place of a removed child holds null.
  const std::vector<std::shared_ptr<Entry>>& InOrder() const;

 private:
  // One place of the index: the key's hash and the child's position plus one; 0 marks a free
  // place, kRemovedSlot one whose child was removed (probing goes on past it).
  struct Slot {
    uint32_t hash = 0;
    uint32_t seqPlusOne = 0;
  };
  static constexpr uint32_t kRemovedSlot = UINT32_MAX;
  // Made on the first child, so that the many leaves of an installation stay small.
  struct Lists {
    std::vector<std::shared_ptr<Entry>> order;  // by seq
    std::vector<Slot> slots;                    // a power of two, at most half of them taken
    size_t taken = 0;                           // slots not free (live or removed)
    size_t live = 0;                            // children not removed
    mutable Seq firstLive = 0;                  // no child lives before this place
    mutable Seq afterFound = 0;                 // the place after the last child found by key
  };
  // The place in slots of the slot that holds key (whose hash is given), if any.
  std::optional<size_t> FindSlot(const std::string& key, uint32_t hash) const;
  // Indexes the child at seq under key; false when the key is taken.
  bool Index(const std::string& key, Seq seq);
  // Makes the table large enough for one more slot, dropping removed ones.
  void Reserve();
  // The first place at or after from that holds a child.
  std::optional<Seq> NextLive(Seq from) const;
  std::unique_ptr<Lists> storage;
};

// Reconfiguration bookkeeping of one node (the "reconfig" object of the file).
struct Reconfig {
  bool present = false;  // written back only when the file had it or a run started
  int64_t polls = 1;     // "1 0" answers after an accepted "reconfig"
  int64_t result = 0;    // the result reported once the run is over
  bool ran = false;      // a reconfiguration ran on this node
  int64_t pending = 0;   // "1 0" answers still to give
};

// What few entries have: a version, logs, commands, failures, a journal, reconfiguration
// bookkeeping, a log feed, supplied passwords, a local broker, a password and an autoconfig
// object. Kept apart from the entry so
// that the many plain targets of a large installation stay small.
struct EntryDetails {
  std::optional<std::string> version;
  std::vector<std::string> logs;
  std::vector<std::string> commands;  // see CommandsOf
  bool commandsGiven = false;         // the file spelled them out (else the kind's defaults)
  std::vector<std::string> fail;
  std::vector<std::string> journal;
  Reconfig reconfig;
  std::vector<std::string> logFeed;   // lines still to come, first one first
  std::weak_ptr<Entry> localBroker;   // agents only: the broker marked "local", if any
  std::string password;               // agents, brokers and DSMs that ask for one
  std::shared_ptr<Entry> autoconfig;  // brokers only
  // Passwords that the engine supplied for children, by child identity key. Not written back.
  std::unordered_map<std::string, std::string> suppliedPasswords;
};

struct Entry {
  Kind kind = Kind::Root;
  bool alive = true;
  bool local = false;
  uint16_t port = 5465;
  uint64_t id = 0;          // unique within one load; handed out as the record key "sim_id"
  Entry* parent = nullptr;  // valid while the entry is attached (the parent owns it)

  // Identity (the password, which few entries have, is among the details).
  ShortText ipaddr;
  ShortText name;
  ShortText community = "public";

  TextMap properties;  // in key order

  ChildList children;  // agents, brokers, DSMs or targets (a broker's autoconfig is a detail)

  // What the nodes of this entry share (node_anchor.h), made with the first of them; the entry
  // holds one reference and cuts the anchor's way back to it when it is destroyed.
  NodeAnchor* anchor = nullptr;

  Entry() = default;
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;
  ~Entry();

  // The details, empty ones when the entry has none.
  const EntryDetails& Details() const;
  // The details to change, made on first use.
  EntryDetails& EditDetails();

  bool Fails(const char* operation) const;

 private:
  std::unique_ptr<EntryDetails> rareDetails;
};

struct Rule {
  int32_t number = 0;
  std::string description;
};

struct Site {
  std::string server;
  std::map<std::string, std::string> users;
  std::string comment;       // the file's own note, written back as read
  bool anyPassword = false;  // every user, agent and broker accepts any password (snapshots)
  std::vector<std::string> unreachable;             // as written, for write-back
  std::unordered_set<std::string> unreachableKeys;  // lower-cased, for lookups
  std::vector<Rule> rules;
  std::shared_ptr<Entry> root;

  // Every entry created in this load, indexed by id (ids are dense from 0), for records that
  // carry "sim_id".
  std::vector<std::weak_ptr<Entry>> byId;
  // Entries with an id from here on were added after the load, not read from the file: the
  // library sets it once it has loaded (a site that is only read has none). An entry deleted and
  // added back is then told from one that stayed.
  uint64_t firstAddedId = UINT64_MAX;
  // Where NewEntry places entries; it goes with the site, or after it with the last of them.
  OwnedEntryPool pool;

  std::shared_ptr<Entry> NewEntry(Kind kind);
  // The attached entry with that id, or null.
  std::shared_ptr<Entry> FindById(uint64_t id);
};

}  // namespace sim
