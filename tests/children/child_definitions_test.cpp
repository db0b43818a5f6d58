// The construction forms, liveness, the defaults view and KeepOrDiscard, against a fake tree
// that counts the nodes and walkers not yet released. What the forms ask the installation is
// checked against the simulator's trace by the script tests.
#include "objects/object_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fake_tree.h"

namespace {

class ChildDefinitionsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    installation.reset();
    EXPECT_EQ(LiveFakeNodes(), 0) << "a node was not released";
    EXPECT_EQ(LiveFakeWalkers(), 0) << "a walker was not released";
  }
  FakeEntry& root() { return installation->root(); }
  // An agent at 10.1.1.1:5465 with a broker at 10.1.1.2:6000 under it.
  std::unique_ptr<ConfigObject> AgentWithBroker() {
    FakeEntry& agent = root().Add("Agent", Record({{"ipaddr", "10.1.1.1"}, {"port", "5465"}}));
    agent.Add("Broker", Record({{"ipaddr", "10.1.1.2"}, {"port", "6000"}}));
    auto object = ConfigObject::LocateByAddress("a1", ObjectKind::Agent, "10.1.1.1", 0, nullptr,
                                                nullptr);
    FakeCalls().clear();
    return object;
  }

  std::unique_ptr<FakeInstallation> installation = std::make_unique<FakeInstallation>();
};

TEST_F(ChildDefinitionsTest, FormsLeaveTheObjectWithoutNodeWhenTheyCannotServe) {
  auto agent = AgentWithBroker();
  ConfigObject nodeless("n", ObjectKind::Broker, agent.get());
  // Kinds a form does not serve, parents without nodes, addresses that do not resolve.
  EXPECT_EQ(ConfigObject::LocateByAddress("x", ObjectKind::DSM, "10.1.1.2", 6000, "",
                                          agent.get())->node, nullptr);
  EXPECT_EQ(ConfigObject::LocateByAddress("x", ObjectKind::Broker, "10.1.1.2", 6000, "",
                                          nullptr)->node, nullptr);
  EXPECT_EQ(ConfigObject::LocateByAddress("x", ObjectKind::Broker, "0.0.0.0", 6000, "",
                                          agent.get())->node, nullptr);
  EXPECT_EQ(ConfigObject::LocateDsmByName("x", ObjectKind::DSM, "dsm1", &nodeless)->node,
            nullptr);
  EXPECT_EQ(ConfigObject::LocateDsmByName("x", ObjectKind::Target, "dsm1", agent.get())->node,
            nullptr);
  EXPECT_EQ(ConfigObject::LocateTargetByAddress("x", ObjectKind::Target, "10.0.0.9", "public",
                                                &nodeless)->node, nullptr);
  EXPECT_EQ(ConfigObject::LocateLocalChild("x", ObjectKind::DSM, agent.get())->node, nullptr);
  // Only the broker search with the unresolvable address never reached the vendor library.
  for (const std::string& call : FakeCalls()) EXPECT_EQ(call.find("0.0.0.0"), std::string::npos);
}

TEST_F(ChildDefinitionsTest, NoServerSessionMeansNoNodeAndNoCalls) {
  FakeEntry& agent = root().Add("Agent", Record({{"ipaddr", "10.1.1.1"}, {"port", "5465"}}));
  (void)agent;
  installation.reset();
  auto object =
      ConfigObject::LocateByAddress("a1", ObjectKind::Agent, "10.1.1.1", 0, "", nullptr);
  EXPECT_EQ(object->node, nullptr);
  EXPECT_FALSE(object->IsAlive());
  EXPECT_TRUE(object->GetDefinitionWithDefaults().entries().empty());
}

TEST_F(ChildDefinitionsTest, EveryFormFindsItsKindAndReleasesWhatItWalked) {
  FakeEntry& agentEntry =
      root().Add("Agent", Record({{"ipaddr", "10.1.1.1"}, {"port", "5465"}}));
  FakeEntry& brokerEntry = agentEntry.Add("Broker", Record({{"ipaddr", "127.0.0.1"}}));
  brokerEntry.local = true;
  FakeEntry& dsmEntry = brokerEntry.Add("DSM", Record({{"name", "dsm1"}}));
  brokerEntry.Add("AutoConfig", Record({{"kind", "autoconfig"}}));
  dsmEntry.Add("Target", Record({{"ipaddr", "10.0.0.9"}, {"community", "Secret"}}));

  auto agent =
      ConfigObject::LocateByAddress("a1", ObjectKind::Agent, "10.1.1.1", 0, "", nullptr);
  auto broker = ConfigObject::LocateLocalChild("lb", ObjectKind::Broker, agent.get());
  ASSERT_NE(broker->node, nullptr);
  auto autoconfig = ConfigObject::LocateLocalChild("ac", ObjectKind::AutoConfig, broker.get());
  EXPECT_NE(autoconfig->node, nullptr);
  auto dsm = ConfigObject::LocateDsmByName("d1", ObjectKind::DSM, "dsm1", broker.get());
  ASSERT_NE(dsm->node, nullptr);
  EXPECT_NE(ConfigObject::LocateTargetByAddress("t1", ObjectKind::Target, "10.0.0.9", "Secret",
                                                dsm.get())->node, nullptr);
}

TEST_F(ChildDefinitionsTest, AdoptNodeComparesTheTypeNameIgnoringCaseAndDeletesARefusedNode) {
  auto agent = AgentWithBroker();
  struct Case {
    const char* typeName;
    ObjectKind kind;
    bool adopted;
  };
  const Case cases[] = {{"broker", ObjectKind::Broker, true},
                        {"BROKER", ObjectKind::Broker, true},
                        {"Target", ObjectKind::Target, true},
                        {"DSM", ObjectKind::Broker, false},
                        {"Brokers", ObjectKind::Broker, false}};
  for (const Case& c : cases) {
    root().children[0]->addedType = c.typeName;
    const int liveBefore = LiveFakeNodes();
    TreeNode* node = agent->node->AddChild(Record({{"ipaddr", "10.1.1.9"}}));
    auto object = ConfigObject::AdoptNode("n", c.kind, node, agent.get());
    EXPECT_EQ(object->node != nullptr, c.adopted) << c.typeName;
    EXPECT_EQ(LiveFakeNodes(), liveBefore + (c.adopted ? 1 : 0)) << c.typeName;
  }
}

TEST_F(ChildDefinitionsTest, DefaultsViewFillsInByKind) {
  using Entries = std::map<std::string, std::string>;
  struct Case {
    ObjectKind kind;
    ChildDefinitionData record;
    const char* version;
    Entries expected;
  };
  const Case cases[] = {
      {ObjectKind::Agent, Record({{"ipaddr", "10.1.1.1"}, {"port", "0"}}), nullptr,
       {{"ipaddr", "10.1.1.1"}, {"port", "5465"}}},
      {ObjectKind::Agent, Record({{"ipaddr", "10.1.1.1"}}), nullptr,
       {{"ipaddr", "10.1.1.1"}, {"port", "5465"}}},
      {ObjectKind::Agent, Record({{"ipaddr", "10.1.1.1"}, {"port", "6000"}}), nullptr,
       {{"ipaddr", "10.1.1.1"}, {"port", "6000"}}},
      {ObjectKind::DSM, Record({{"name", ""}}), nullptr, {{"name", "dsm1"}}},
      {ObjectKind::DSM, Record({}), nullptr, {{"name", "dsm1"}}},
      {ObjectKind::DSM, Record({{"name", "Edge"}}), nullptr, {{"name", "Edge"}}},
      {ObjectKind::Target, Record({{"ipaddr", "10.0.0.9"}, {"community", ""}}), nullptr,
       {{"community", "public"}, {"ipaddr", "10.0.0.9"}}},
      {ObjectKind::Broker, Record({{"port", "x"}}), "4.2",
       {{"ipaddr", "127.0.0.1"}, {"port", "5465"}, {"version", "4.2"}}},
      {ObjectKind::Broker, Record({{"ipaddr", "10.1.1.3"}, {"port", "6000"}}), nullptr,
       {{"ipaddr", "10.1.1.3"}, {"port", "6000"}}},
      {ObjectKind::AutoConfig, Record({{"kind", "autoconfig"}}), nullptr,
       {{"kind", "autoconfig"}}},
  };
  for (const Case& c : cases) {
    auto entry = std::make_shared<FakeEntry>();
    entry->type = KindName(c.kind);
    entry->record = c.record;
    entry->version = c.version;
    ConfigObject object("o", c.kind, nullptr);
    object.node = NewFakeNode(entry);
    EXPECT_EQ(object.GetDefinitionWithDefaults().entries(), c.expected) << KindName(c.kind);
  }
}

TEST_F(ChildDefinitionsTest, KeepOrDiscardRegistersOnlyLiveObjects) {
  auto agent = AgentWithBroker();
  root().children[0]->children[0]->alive = false;
  auto dead = ConfigObject::LocateByAddress("b1", ObjectKind::Broker, "10.1.1.2", 6000, "",
                                            agent.get());
  ASSERT_NE(dead->node, nullptr);
  EXPECT_FALSE(KeepOrDiscard(std::move(dead), "b1"));
  EXPECT_EQ(Registry().Find("b1"), nullptr);
  EXPECT_EQ(LiveFakeNodes(), 2);  // the root's and the agent's

  root().children[0]->children[0]->alive = true;
  EXPECT_TRUE(KeepOrDiscard(ConfigObject::LocateByAddress("b1", ObjectKind::Broker, "10.1.1.2",
                                                          6000, "", agent.get()),
                            "b1"));
  ASSERT_NE(Registry().Find("b1"), nullptr);
  EXPECT_EQ(Registry().Find("b1")->parent, agent.get());
  EXPECT_FALSE(KeepOrDiscard(nullptr, "b2"));
}

}  // namespace
