// A node of the vendor tree held in memory, for tests of the property, rule and log operations
// without an installation: properties, child records, named data items, logs and commands.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "objects/config_object.h"
#include "orbitane/orbitaneapi.h"

class FakeNode : public TreeNode {
 public:
  FakeNode() = default;
  explicit FakeNode(ChildDefinitionData definitionRecord) : definition(std::move(definitionRecord)) {}

  TreeNode* AddChild(const ChildDefinitionData&) override { return nullptr; }
  bool RemoveChildByData(const ChildDefinitionData&) override { return false; }
  NodePropertySet* GetProperties() override;
  bool SetProperties(const NodePropertySet& set) override;
  const char* GetTypeName() override { return "Fake"; }
  const ChildDefinitionData& GetDefinitionData() override { return definition; }
  void VendorReservedA() override {}
  TreeWalker* GetChildWalker() override;
  void SupplyChildPassword(const ChildDefinitionData&, const char*) override {}
  bool ChangeChildPassword(const ChildDefinitionData&, const char*) override { return false; }
  void VendorReservedB() override {}
  char* GetNamedDataItem(const char* item) override;
  bool ExecuteCommand(const char* command, const char* arguments) override;

  // The log requests: "log:B:SIZE" gives the offset of the data, a line feed and the last SIZE
  // bytes; "log:B:OFF:SIZE" the bytes from OFF (a negative one counts as 0). A piece request at
  // the end of log 0 first appends the next feed line.
  char* AnswerLogRequest(const char* item);

  ChildDefinitionData definition;
  std::map<std::string, std::string> properties;
  bool failGetProperties = false;
  bool failSetProperties = false;
  int getPropertiesCalls = 0;
  int setPropertiesCalls = 0;
  std::vector<ChildDefinitionData> children;  // what the walker shows
  std::map<std::string, std::string> items;  // named data items other than logs
  std::vector<std::string> logs;             // logs[0] current, logs[n] backup n
  std::vector<std::string> logFeed;          // lines appended to log 0 as it is followed
  size_t feedUsed = 0;
  std::vector<std::string> requests;         // every named item asked for, in order
  std::vector<std::string> journal;          // every command, with its arguments
  std::vector<std::string> acceptedCommands = {"restart", "reload", "reconfig"};
  std::vector<std::string> statusReplies;    // "autoconfig_status" answers, one per read
};

// Installs a server session object for the life of the test process (the operations only need
// one to exist), so that objects with fake nodes count as available.
void InstallFakeServerSession();
