// The working copy of an object's properties and rule values, over nodes held in memory.
#include <gtest/gtest.h>

#include <memory>

#include "fake_node.h"
#include "objects/server_session.h"
#include "props/commit.h"
#include "objects/object_registry.h"
#include "objects/process_state.h"

namespace {

class WorkingSet : public testing::Test {
 protected:
  void SetUp() override { InstallFakeServerSession(); }

  // An object of kind with a fresh fake node holding properties; the node stays the object's.
  std::unique_ptr<ConfigObject> Make(const std::string& name, ObjectKind kind,
                                     std::map<std::string, std::string> properties = {},
                                     ConfigObject* parent = nullptr) {
    auto object = std::make_unique<ConfigObject>(name, kind, parent);
    auto* node = new FakeNode();
    node->properties = std::move(properties);
    object->node = node;
    return object;
  }
  static FakeNode& NodeOf(ConfigObject& object) { return *static_cast<FakeNode*>(object.node); }
};

TEST_F(WorkingSet, LoadsOnceAndTakesOutTheHiddenProperties) {
  auto agent = Make("a", ObjectKind::Agent,
                    {{"alpha", "1"}, {"Zeta", "2"}, {"qpk_own", "3  7 12 0 9"},
                     {"qpk_inherited", "1 1"}, {"EXCLUDE", "10.0.0.0/8"}});
  const auto all = agent->GetAllProperties();
  EXPECT_EQ(all, (std::map<std::string, std::string>{{"Zeta", "2"}, {"alpha", "1"}}));
  EXPECT_EQ(all.begin()->first, "Zeta");  // upper case before lower case
  for (const char* hidden : {"qpk_own", "qpk_inherited", "EXCLUDE"}) {
    EXPECT_EQ(agent->GetProperty(hidden), nullptr) << hidden;
  }
  EXPECT_EQ(agent->ownRuleText, "3  7 12 0 9");
  EXPECT_EQ(agent->ownRuleValues, (std::map<int32_t, int32_t>{{3, 7}, {12, 0}}));
  EXPECT_EQ(agent->excludeText, "10.0.0.0/8");
  EXPECT_STREQ(agent->GetProperty("alpha"), "1");
  EXPECT_EQ(agent->GetProperty("missing"), nullptr);
  EXPECT_EQ(NodeOf(*agent).getPropertiesCalls, 1);
  EXPECT_FALSE(agent->HasPropertyChanges());
}

TEST_F(WorkingSet, DetectsChangesAndRestores) {
  auto agent = Make("a", ObjectKind::Agent, {{"x", "5"}, {"y", "6"}});
  EXPECT_FALSE(agent->HasPropertyChanges());  // not loaded: nothing to look at, nothing fetched
  EXPECT_EQ(NodeOf(*agent).getPropertiesCalls, 0);

  ASSERT_TRUE(agent->SetProperty("x", "5"));  // the same text still counts as a change
  EXPECT_TRUE(agent->HasPropertyChanges());
  ASSERT_TRUE(agent->SetProperty("x", nullptr));
  EXPECT_FALSE(agent->HasPropertyChanges());

  ASSERT_TRUE(agent->SetProperty("y", ""));
  ASSERT_TRUE(agent->SetProperty("y", nullptr));
  EXPECT_STREQ(agent->GetProperty("y"), "6");
  EXPECT_FALSE(agent->HasPropertyChanges());

  ASSERT_TRUE(agent->SetProperty("new", "value"));  // need not exist beforehand
  EXPECT_STREQ(agent->GetProperty("new"), "value");
  ASSERT_TRUE(agent->SetProperty("new", nullptr));  // restored to absent
  EXPECT_EQ(agent->GetProperty("new"), nullptr);
  EXPECT_FALSE(agent->HasPropertyChanges());
}

TEST_F(WorkingSet, RuleValuesChangeByText) {
  struct Case {
    const char* stored;
    bool changedAsLoaded;
  };
  for (const Case& c : {Case{"3 7 12 0", false}, Case{"3  7 12 0", true},
                        Case{"12 0 3 7", true}, Case{"", false}, Case{"5 3 9", true}}) {
    auto agent = Make("a", ObjectKind::Agent, {{"qpk_own", c.stored}});
    EXPECT_FALSE(agent->RuleValuesChanged()) << "never loads: " << c.stored;
    ASSERT_TRUE(agent->EnsurePropertiesLoaded());
    EXPECT_EQ(agent->RuleValuesChanged(), c.changedAsLoaded) << c.stored;
  }
  auto agent = Make("a", ObjectKind::Agent, {{"qpk_own", "3 7"}});
  ASSERT_TRUE(agent->EnsurePropertiesLoaded());
  agent->ownRuleValues[3] = 8;
  EXPECT_TRUE(agent->RuleValuesChanged());
  agent->ownRuleValues[3] = 7;
  EXPECT_FALSE(agent->RuleValuesChanged());
}

TEST_F(WorkingSet, AFailedLoadIsTriedAgain) {
  auto agent = Make("a", ObjectKind::Agent, {{"x", "1"}});
  NodeOf(*agent).failGetProperties = true;
  EXPECT_EQ(agent->GetProperty("x"), nullptr);
  EXPECT_FALSE(agent->SetProperty("x", "2"));
  EXPECT_TRUE(agent->GetAllProperties().empty());
  NodeOf(*agent).failGetProperties = false;
  EXPECT_STREQ(agent->GetProperty("x"), "1");
  EXPECT_EQ(NodeOf(*agent).getPropertiesCalls, 4);
}

TEST_F(WorkingSet, NothingIsFetchedWithoutNodeOrServerSession) {
  ConfigObject nodeless("n", ObjectKind::Agent, nullptr);
  EXPECT_FALSE(nodeless.EnsurePropertiesLoaded());
  EXPECT_FALSE(nodeless.SetProperty("x", "1"));
  EXPECT_FALSE(nodeless.CommitProperties());

  auto agent = Make("a", ObjectKind::Agent, {{"x", "1"}});
  ServerSession* session = std::exchange(ProcessState::Get().serverSession, nullptr);
  EXPECT_EQ(agent->GetProperty("x"), nullptr);
  EXPECT_FALSE(agent->SetProperty("x", "1"));
  EXPECT_TRUE(agent->GetAllProperties().empty());
  EXPECT_FALSE(agent->CommitProperties());
  ProcessState::Get().serverSession = session;
  EXPECT_EQ(NodeOf(*agent).getPropertiesCalls, 0);
}

TEST_F(WorkingSet, CollectsRuleValuesDownTheChainNearestWinning) {
  auto agent = Make("a", ObjectKind::Agent, {{"qpk_own", "12 5 40 7"}});
  auto broker = Make("b", ObjectKind::Broker, {}, agent.get());
  auto dsm = Make("d", ObjectKind::DSM, {{"qpk_own", "12 8"}}, broker.get());
  auto target = Make("t", ObjectKind::Target, {{"qpk_own", "60 2"}}, dsm.get());
  NodeOf(*broker).failGetProperties = true;  // contributes nothing; the walk goes on

  std::map<int32_t, int32_t> values;
  target->CollectRuleValues(values);
  EXPECT_EQ(values, (std::map<int32_t, int32_t>{{12, 8}, {40, 7}, {60, 2}}));
}

TEST_F(WorkingSet, TargetsOfABrokerWithTheCableDsmShowCableCommunity) {
  auto agent = Make("a", ObjectKind::Agent);
  auto broker = Make("b", ObjectKind::Broker, {}, agent.get());
  ChildDefinitionData plain, cable, unnamed;
  plain.setv("name", "dsm1");
  cable.setv("name", "_cmmt");
  unnamed.setv("ipaddr", "1.2.3.4");
  NodeOf(*broker).children = {unnamed, plain, cable};
  auto dsm = Make("d", ObjectKind::DSM, {}, broker.get());
  auto cableDsm = Make("_cmmt", ObjectKind::DSM, {}, broker.get());

  auto target = Make("t", ObjectKind::Target, {{"x", "1"}}, dsm.get());
  EXPECT_STREQ(target->GetProperty("CABLE_CMTY"), "");
  EXPECT_FALSE(target->HasPropertyChanges());
  ASSERT_TRUE(target->SetProperty("CABLE_CMTY", "c1"));
  EXPECT_TRUE(target->HasPropertyChanges());

  auto kept = Make("k", ObjectKind::Target, {{"CABLE_CMTY", "given"}}, dsm.get());
  EXPECT_STREQ(kept->GetProperty("CABLE_CMTY"), "given");

  auto inCable = Make("c", ObjectKind::Target, {}, cableDsm.get());
  EXPECT_EQ(inCable->GetProperty("CABLE_CMTY"), nullptr);

  auto notTarget = Make("e", ObjectKind::DSM, {}, broker.get());
  EXPECT_EQ(notTarget->GetProperty("CABLE_CMTY"), nullptr);

  NodeOf(*broker).children = {plain};
  auto elsewhere = Make("u", ObjectKind::Target, {}, dsm.get());
  EXPECT_EQ(elsewhere->GetProperty("CABLE_CMTY"), nullptr);
}

TEST_F(WorkingSet, CommitWritesRulesInheritanceAndExclusionThenUnloads) {
  auto agent = Make("a", ObjectKind::Agent, {{"qpk_own", "12 5 40 7"}});
  auto dsm = Make("d", ObjectKind::DSM,
                  {{"x", "1"}, {"qpk_own", "12  8"}, {"qpk_inherited", "stale"},
                   {"EXCLUDE", "10.1.0.0/16"}},
                  agent.get());
  ASSERT_TRUE(dsm->SetProperty("x", "2"));
  agent->EnsurePropertiesLoaded();
  agent->ownRuleValues[40] = 3;  // an ancestor's edit not yet committed counts

  ASSERT_TRUE(dsm->CommitProperties());
  EXPECT_EQ(NodeOf(*dsm).properties,
            (std::map<std::string, std::string>{{"EXCLUDE", "10.1.0.0/16"},
                                                {"qpk_inherited", "12 5 40 3"},
                                                {"qpk_own", "12 8"},
                                                {"x", "2"}}));
  EXPECT_EQ(dsm->workingProperties, nullptr);
  EXPECT_TRUE(dsm->CommitProperties());  // nothing loaded: nothing written
  EXPECT_EQ(NodeOf(*dsm).setPropertiesCalls, 1);

  EXPECT_STREQ(dsm->GetProperty("x"), "2");  // loaded afresh
  EXPECT_EQ(dsm->ownRuleText, "12 8");
  EXPECT_FALSE(dsm->RuleValuesChanged());
}

TEST_F(WorkingSet, FindAgentFollowsParentNamesThroughTheRegistry) {
  auto agent = Make("a", ObjectKind::Agent);
  auto dsm = Make("d", ObjectKind::DSM, {}, agent.get());
  auto target = Make("t", ObjectKind::Target, {}, dsm.get());
  ConfigObject* agentPointer = agent.get();
  ConfigObject* dsmPointer = dsm.get();
  ConfigObject* targetPointer = target.get();
  Registry().Insert("a", std::move(agent));
  Registry().Insert("d", std::move(dsm));
  Registry().Insert("t", std::move(target));

  EXPECT_EQ(FindAgent(*targetPointer), agentPointer);
  EXPECT_EQ(FindAgent(*agentPointer), agentPointer);
  auto orphanBroker = Make("o", ObjectKind::Broker);
  EXPECT_EQ(FindAgent(*orphanBroker), nullptr);

  // A dropped ancestor ends the search.
  std::unique_ptr<ConfigObject> dropped = Registry().Remove("d");
  EXPECT_EQ(FindAgent(*targetPointer), nullptr);
  Registry().Insert("d", std::move(dropped));
  EXPECT_EQ(FindAgent(*dsmPointer), agentPointer);
  Registry().Clear();
}

}  // namespace
