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

TEST_F(Rules, RowsShowOwnInheritedAndUnsetValues) {
  auto agent = Make("a", ObjectKind::Agent, "12 5 40 7", nullptr);
  auto broker = Make("b", ObjectKind::Broker, nullptr, agent.get());
  auto dsm = Make("d", ObjectKind::DSM, "12 8", broker.get());
  auto target = Make("t", ObjectKind::Target, nullptr, dsm.get());

  const RuleTable table = target->GetRuleTable();
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.at(12).value, 8);
  EXPECT_TRUE(table.at(12).inherited);
  EXPECT_EQ(table.at(40).value, 7);
  EXPECT_TRUE(table.at(40).inherited);
  EXPECT_EQ(table.at(60).value, 10);
  EXPECT_TRUE(table.at(60).inherited);
  EXPECT_EQ(table.at(60).description, "BGP");

  const RuleRow own = dsm->GetRule(12);
  EXPECT_EQ(own.value, 8);
  EXPECT_FALSE(own.inherited);
  EXPECT_EQ(own.description, "Interface down");
  EXPECT_TRUE(dsm->GetRule(99).description.empty());

  // Loaded once, on the top of the branch, and shared by everything below.
  EXPECT_EQ(RuleListRequests(*agent), 1);
  EXPECT_EQ(RuleListRequests(*target), 0);
  EXPECT_EQ(target->ruleDescriptions, agent->ruleDescriptions);
  EXPECT_EQ(dsm->ruleDescriptions, agent->ruleDescriptions);
}

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

TEST_F(Rules, SetRuleValueAcceptsMinusOneToTen) {
  auto agent = Make("a", ObjectKind::Agent, "12 5", nullptr);
  struct Case {
    int32_t rule;
    int32_t value;
    bool accepted;
  };
  const Case cases[] = {
      {12, 11, false}, {12, -2, false}, {99, 5, false},  // outside the range, no such rule
      {40, 0, true},   {40, 10, true},  {12, -1, true},  // -1 removes an own value...
      {12, -1, false},                                   // ...and fails when there is none
  };
  for (const Case& c : cases) {
    EXPECT_EQ(agent->SetRuleValue(c.rule, c.value), c.accepted) << c.rule << " " << c.value;
  }
  EXPECT_EQ(agent->ownRuleValues, (std::map<int32_t, int32_t>{{40, 10}}));
  EXPECT_TRUE(agent->RuleValuesChanged());
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
