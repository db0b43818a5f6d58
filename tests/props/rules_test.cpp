// Rule descriptions shared along a branch, the values in force and the object's own values.
#include <gtest/gtest.h>

#include <memory>

#include "fake_node.h"

namespace {

constexpr const char kRuleList[] = "12 \"Interface down\"\n40 \"CPU load high\"\n60 \"BGP\"\n";

class Rules : public testing::Test {
 protected:
  void SetUp() override { InstallFakeServerSession(); }

  std::unique_ptr<ConfigObject> Make(const std::string& name, ObjectKind kind,
                                     const char* ownRules, ConfigObject* parent) {
    auto object = std::make_unique<ConfigObject>(name, kind, parent);
    auto* node = new FakeNode();
    if (ownRules != nullptr) node->properties["qpk_own"] = ownRules;
    node->items["rulelist"] = kRuleList;
    object->node = node;
    return object;
  }
  static FakeNode& NodeOf(ConfigObject& object) { return *static_cast<FakeNode*>(object.node); }
  static int RuleListRequests(ConfigObject& object) {
    int count = 0;
    for (const std::string& request : NodeOf(object).requests) count += request == "rulelist";
    return count;
  }
};

TEST_F(Rules, SharedDescriptionsOutliveTheObjectThatLoadedThem) {
  auto agent = Make("a", ObjectKind::Agent, nullptr, nullptr);
  auto dsm = Make("d", ObjectKind::DSM, nullptr, agent.get());
  ASSERT_NE(dsm->GetRuleDescription(40), nullptr);
  agent.reset();
  dsm->parent = nullptr;
  EXPECT_STREQ(dsm->GetRuleDescription(40), "CPU load high");
  EXPECT_EQ(RuleListRequests(*dsm), 0);
}

TEST_F(Rules, DescriptionsDoNotNeedTheProperties) {
  auto agent = Make("a", ObjectKind::Agent, nullptr, nullptr);
  NodeOf(*agent).failGetProperties = true;
  EXPECT_STREQ(agent->GetRuleDescription(12), "Interface down");
  EXPECT_EQ(agent->GetRuleDescription(13), nullptr);
  EXPECT_TRUE(agent->GetRule(12).description.empty());
  EXPECT_TRUE(agent->GetRuleTable().empty());
  EXPECT_FALSE(agent->SetRuleValue(12, 3));
}

TEST_F(Rules, AnEmptyOrMissingRuleListIsNeverKept) {
  auto agent = Make("a", ObjectKind::Agent, nullptr, nullptr);
  NodeOf(*agent).items["rulelist"] = "";
  EXPECT_FALSE(agent->LoadRuleList());
  EXPECT_EQ(agent->ruleDescriptions, nullptr);
  NodeOf(*agent).items.erase("rulelist");
  EXPECT_EQ(agent->GetRuleDescription(12), nullptr);
  NodeOf(*agent).items["rulelist"] = kRuleList;
  EXPECT_NE(agent->GetRuleDescription(12), nullptr);
  EXPECT_EQ(RuleListRequests(*agent), 3);
}

TEST_F(Rules, OwnValuesWithoutDescriptionStayButAreNotShown) {
  auto agent = Make("a", ObjectKind::Agent, "77 3 12 1", nullptr);
  const RuleTable table = agent->GetRuleTable();
  EXPECT_EQ(table.count(77), 0u);
  EXPECT_EQ(agent->ownRuleValues.at(77), 3);
}

TEST_F(Rules, NothingWithoutAServerSessionOrNode) {
  ConfigObject nodeless("n", ObjectKind::Agent, nullptr);
  EXPECT_EQ(nodeless.GetRuleDescription(12), nullptr);
  EXPECT_TRUE(nodeless.GetRuleTable().empty());
  EXPECT_FALSE(nodeless.SetRuleValue(12, 1));
  EXPECT_FALSE(nodeless.LoadRuleList());
}

}  // namespace
