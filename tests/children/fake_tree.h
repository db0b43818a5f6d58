// A small in-memory vendor tree for unit tests of the child definitions: nodes built by the
// test, the lookup calls recorded, and counts of the nodes and walkers handed out and not yet
// released, so that a test can prove each is released exactly once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orbitane/orbitaneapi.h"

struct FakeEntry {
  std::string type;  // what GetTypeName answers
  ChildDefinitionData record;
  bool alive = true;
  bool local = false;            // answers GetPotentialChild(kind=broker)
  std::string addedType;         // type of nodes made by AddChild (default: by parent's type)
  const char* version = nullptr; // "version:1"
  std::vector<std::shared_ptr<FakeEntry>> children;

  FakeEntry& Add(const std::string& childType, ChildDefinitionData childRecord);
};

// A new node for entry, as the vendor library hands them out (the caller deletes it).
TreeNode* NewFakeNode(std::shared_ptr<FakeEntry> entry);

// Every call on fake nodes and walkers, as "Call Type arguments" lines.
std::vector<std::string>& FakeCalls();
// Nodes and walkers handed out and not yet deleted.
int& LiveFakeNodes();
int& LiveFakeWalkers();

ChildDefinitionData Record(std::initializer_list<std::pair<const char*, const char*>> values);

// Makes a fake root node the server session's root, and takes it down again.
class FakeInstallation {
 public:
  FakeInstallation();
  ~FakeInstallation();
  FakeInstallation(const FakeInstallation&) = delete;
  FakeInstallation& operator=(const FakeInstallation&) = delete;

  FakeEntry& root() { return *rootEntry; }

 private:
  std::shared_ptr<FakeEntry> rootEntry;
};
