#include "fake_tree.h"

#include <algorithm>

#include "objects/object_registry.h"
#include "objects/server_session.h"
#include "objects/process_state.h"

namespace {

std::string describe(const ChildDefinitionData& record) {
  std::string text;
  for (const auto& [key, value] : record.entries()) {
    text += " " + key + "=" + value;
  }
  return text;
}

bool sameIdentity(const ChildDefinitionData& wanted, const ChildDefinitionData& have) {
  return std::all_of(wanted.entries().begin(), wanted.entries().end(), [&](const auto& entry) {
    const char* value = have.getv(entry.first.c_str());
    return value != nullptr && entry.second == value;
  });
}

void record(const std::string& call) { FakeCalls().push_back(call); }

class FakeNode : public TreeNode {
 public:
  explicit FakeNode(std::shared_ptr<FakeEntry> entry) : entry(std::move(entry)) {
    ++LiveFakeNodes();
  }
  ~FakeNode() override { --LiveFakeNodes(); }

  TreeNode* AddChild(const ChildDefinitionData& childRecord) override {
    record("AddChild " + entry->type + describe(childRecord));
    std::string type = entry->addedType;
    if (type.empty()) type = entry->type == "Agent" ? "Broker" : "Target";
    entry->Add(type, childRecord);
    return new FakeNode(entry->children.back());
  }
  bool RemoveChildByData(const ChildDefinitionData&) override { return false; }
  NodePropertySet* GetProperties() override { return nullptr; }
  bool SetProperties(const NodePropertySet&) override { return false; }
  const char* GetTypeName() override { return entry->type.c_str(); }
  const ChildDefinitionData& GetDefinitionData() override { return entry->record; }
  void VendorReservedA() override {}
  TreeWalker* GetChildWalker() override;
  void SupplyChildPassword(const ChildDefinitionData& childRecord,
                           const char* password) override {
    record("SupplyChildPassword " + entry->type + describe(childRecord) + " password=" +
           (password == nullptr ? "(null)" : password));
  }
  bool ChangeChildPassword(const ChildDefinitionData&, const char*) override { return true; }
  void VendorReservedB() override {}
  int AuthenticationChanged(const ChildDefinitionData&) override { return 1; }
  char* GetNamedDataItem(const char* item) override {
    if (std::string(item) == "version:1" && entry->version != nullptr) {
      return SharedHeapStrdup(entry->version);
    }
    return nullptr;
  }
  bool NodeIsAlive() override { return entry->alive; }
  bool CanAddChild(const ChildDefinitionData&) override { return true; }
  TreeNode* GetPotentialChild(const ChildDefinitionData& childRecord) override {
    record("GetPotentialChild " + entry->type + describe(childRecord));
    const char* kind = childRecord.getv("kind");
    for (auto& child : entry->children) {
      bool match = kind != nullptr
                       ? (std::string(kind) == "broker" ? child->local
                                                        : child->type == "AutoConfig")
                       : sameIdentity(childRecord, child->record);
      if (match) return new FakeNode(child);
    }
    return nullptr;
  }

 private:
  std::shared_ptr<FakeEntry> entry;
};

class FakeWalker : public TreeWalker {
 public:
  explicit FakeWalker(std::shared_ptr<FakeEntry> parent) : parent(std::move(parent)) {
    ++LiveFakeWalkers();
  }
  ~FakeWalker() override { --LiveFakeWalkers(); }
  void Next() override {
    record("Next");
    ++position;
  }
  bool AtEnd() override { return position >= parent->children.size(); }
  void First() override {
    record("First");
    position = 0;
  }
  void Seek(const ChildDefinitionData& wanted) override {
    record("Seek" + describe(wanted));
    for (position = 0; position < parent->children.size(); ++position) {
      if (sameIdentity(wanted, parent->children[position]->record)) return;
    }
  }
  TreeNode* Current() override {
    record("Current");
    return AtEnd() ? nullptr : new FakeNode(parent->children[position]);
  }

 private:
  std::shared_ptr<FakeEntry> parent;
  size_t position = 0;
};

TreeWalker* FakeNode::GetChildWalker() {
  record("GetChildWalker " + entry->type);
  return new FakeWalker(entry);
}

}  // namespace

TreeNode* NewFakeNode(std::shared_ptr<FakeEntry> entry) { return new FakeNode(std::move(entry)); }

FakeEntry& FakeEntry::Add(const std::string& childType, ChildDefinitionData childRecord) {
  auto child = std::make_shared<FakeEntry>();
  child->type = childType;
  child->record = std::move(childRecord);
  children.push_back(child);
  return *child;
}

std::vector<std::string>& FakeCalls() {
  static std::vector<std::string> calls;
  return calls;
}
int& LiveFakeNodes() {
  static int count = 0;
  return count;
}
int& LiveFakeWalkers() {
  static int count = 0;
  return count;
}

ChildDefinitionData Record(std::initializer_list<std::pair<const char*, const char*>> values) {
  ChildDefinitionData record;
  for (const auto& [key, value] : values) record.setv(key, value);
  return record;
}

FakeInstallation::FakeInstallation() : rootEntry(std::make_shared<FakeEntry>()) {
  rootEntry->type = "Root";
  auto* session = new ServerSession();
  session->root = new FakeNode(rootEntry);
  ProcessState::Get().serverSession = session;
  FakeCalls().clear();
}

FakeInstallation::~FakeInstallation() {
  Registry().Clear();
  ServerSession*& session = ProcessState::Get().serverSession;
  delete session->root;
  delete session;
  session = nullptr;
}
