// The calls of the vendor interface as the simulated installation answers them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim_support.h"

namespace simtest {
namespace {

using ::testing::ElementsAre;

class SimNodes : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    UseSite(kSmallSite);
    root_ = Open();
    ASSERT_TRUE(root_);
    agent_ = Agent(*root_, "10.1.1.1");
    ASSERT_TRUE(agent_);
    broker_.reset(agent_->GetPotentialChild(Record({{"kind", "broker"}})));
    ASSERT_TRUE(broker_);
    dsm_ = Seek(*broker_, Record({{"name", "dsm1"}}));
    ASSERT_TRUE(dsm_);
  }
  void TearDown() override {
    dsm_.reset();
    broker_.reset();
    agent_.reset();
    root_.reset();
    SimTest::TearDown();
  }
  Node root_, agent_, broker_, dsm_;
};

TEST_F(SimNodes, GetRootChecksServerIgnoringCaseAndUserAndPasswordExactly) {
  struct Case {
    const char* kind;
    const char* server;
    const char* user;
    const char* password;
    bool ok;
  } cases[] = {
      {"distributed", "koras", "root", "", true},   {"distributed", "KORAS", "admin", "s3cret", true},
      {"distributed", "OTHER", "root", "", false},  {"distributed", "KORAS", "Root", "", false},
      {"distributed", "KORAS", "admin", "S3cret", false},
      {"distributed", "KORAS", "nobody", "", false}, {"local", "KORAS", "root", "", false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TreeRootHolder> holder{TreeRootHolder::GetRoot(c.kind, c.server, c.user, c.password)};
    EXPECT_EQ(holder != nullptr, c.ok) << c.kind << " " << c.server << " " << c.user;
  }
  EXPECT_EQ(TreeRootHolder::GetRoot("distributed", nullptr, "root", ""), nullptr);
}

TEST_F(SimNodes, TypeNamesAndDefinitionRecords) {
  Node autoconfig{broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))};
  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  ASSERT_TRUE(autoconfig && target);
  EXPECT_STREQ(root_->GetTypeName(), "Root");
  EXPECT_STREQ(agent_->GetTypeName(), "Agent");
  EXPECT_STREQ(broker_->GetTypeName(), "Broker");
  EXPECT_STREQ(autoconfig->GetTypeName(), "AutoConfig");
  EXPECT_STREQ(dsm_->GetTypeName(), "DSM");
  EXPECT_STREQ(target->GetTypeName(), "Target");
  EXPECT_STREQ(agent_->GetDefinitionData().getv("ipaddr"), "10.1.1.1");
  EXPECT_STREQ(agent_->GetDefinitionData().getv("port"), "5465");
  EXPECT_STREQ(dsm_->GetDefinitionData().getv("name"), "dsm1");
  EXPECT_STREQ(target->GetDefinitionData().getv("community"), "public");
  EXPECT_STREQ(autoconfig->GetDefinitionData().getv("kind"), "autoconfig");
}

TEST_F(SimNodes, AgentLookupAppliesThePasswordTest) {
  EXPECT_EQ(Agent(*root_, "10.1.1.2", "6000"), nullptr);              // none supplied
  EXPECT_EQ(Agent(*root_, "10.1.1.2", "6000", "wrong"), nullptr);
  EXPECT_NE(Agent(*root_, "10.1.1.2", "6000", "agentpw"), nullptr);
  EXPECT_EQ(Agent(*root_, "10.1.1.2", "5465", "agentpw"), nullptr);   // other port
  EXPECT_NE(Agent(*root_, "10.1.1.1", "05465"), nullptr);             // ports compare as numbers
  EXPECT_EQ(Agent(*root_, "10.1.1.1", "70000"), nullptr);
  EXPECT_EQ(Node(root_->GetPotentialChild(Record({{"port", "5465"}}))), nullptr);
}

TEST_F(SimNodes, LocalBrokerAndAutoconfigLookups) {
  EXPECT_STREQ(broker_->GetDefinitionData().getv("ipaddr"), "10.1.1.1");
  Node other = Agent(*root_, "10.1.1.2", "6000", "agentpw");
  EXPECT_EQ(Node(other->GetPotentialChild(Record({{"kind", "broker"}}))), nullptr);
  EXPECT_NE(Node(broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))), nullptr);
  Node second = Seek(*agent_, Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}}));
  EXPECT_EQ(second, nullptr);  // password not supplied yet
  ChildDefinitionData record = Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}});
  agent_->SupplyChildPassword(record, "brokerpw");
  second = Seek(*agent_, record);
  ASSERT_TRUE(second);
  EXPECT_EQ(Node(second->GetPotentialChild(Record({{"kind", "autoconfig"}}))), nullptr);
  EXPECT_EQ(Node(dsm_->GetPotentialChild(Record({{"kind", "broker"}}))), nullptr);
}

TEST_F(SimNodes, WalkersGoInFileOrderAndSeekByIdentity) {
  EXPECT_THAT(Children(*root_), ElementsAre("Agent ipaddr=10.1.1.1 port=5465",
                                            "Agent ipaddr=10.1.1.2 port=6000"));
  EXPECT_THAT(Children(*broker_), ElementsAre("DSM name=dsm1", "DSM name=Edge"));
  EXPECT_THAT(Children(*dsm_), ElementsAre("Target community=public ipaddr=10.2.0.1",
                                           "Target community=Private ipaddr=10.2.0.2"));
  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  EXPECT_EQ(Walker(target->GetChildWalker()), nullptr);  // targets have no children

  EXPECT_NE(Seek(*broker_, Record({{"name", "EDGE"}})), nullptr);       // names ignore case
  EXPECT_NE(Seek(*dsm_, Record({{"ipaddr", "10.2.0.2"}, {"community", "Private"}})), nullptr);
  EXPECT_EQ(Seek(*dsm_, Record({{"ipaddr", "10.2.0.2"}, {"community", "private"}})), nullptr);
  EXPECT_EQ(Seek(*broker_, Record({{"name", "nosuch"}})), nullptr);
  EXPECT_EQ(Seek(*broker_, Record({{"ipaddr", "10.2.0.1"}})), nullptr);  // wrong kind of record

  Walker walker{dsm_->GetChildWalker()};
  walker->Seek(Record({{"ipaddr", "10.2.0.1"}}));
  walker->Next();
  Node next{walker->Current()};
  EXPECT_STREQ(next->GetDefinitionData().getv("ipaddr"), "10.2.0.2");
  walker->Next();
  EXPECT_TRUE(walker->AtEnd());
  EXPECT_EQ(walker->Current(), nullptr);
}

TEST_F(SimNodes, CanAddChildRefusesUnreachableAndExistingIdentities) {
  EXPECT_FALSE(agent_->CanAddChild(Record({{"ipaddr", "10.9.9.9"}, {"port", "5465"}})));
  EXPECT_FALSE(agent_->CanAddChild(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_TRUE(agent_->CanAddChild(Record({{"ipaddr", "10.1.1.20"}, {"port", "5465"}})));
  EXPECT_FALSE(dsm_->CanAddChild(Record({{"ipaddr", "10.2.0.1"}, {"community", "public"}})));
  EXPECT_TRUE(dsm_->CanAddChild(Record({{"ipaddr", "10.2.0.1"}, {"community", "PUBLIC"}})));
  EXPECT_FALSE(broker_->CanAddChild(Record({{"name", "edge"}})));
}

TEST_F(SimNodes, AddChildWritesBrokersAndTargetsOnly) {
  Node broker{agent_->AddChild(Record({{"ipaddr", "10.5.5.5"}, {"port", "7000"}}))};
  ASSERT_TRUE(broker);
  EXPECT_STREQ(broker->GetTypeName(), "Broker");
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "10.5.5.5"}, {"port", "7000"}}))), nullptr);
  Node target{dsm_->AddChild(Record({{"ipaddr", "10.2.0.9"}}))};
  ASSERT_TRUE(target);
  EXPECT_STREQ(target->GetDefinitionData().getv("community"), "public");
  EXPECT_EQ(Children(*dsm_).back(), "Target community=public ipaddr=10.2.0.9");
  EXPECT_EQ(std::unique_ptr<NodePropertySet>(target->GetProperties())->size(), 0u);

  EXPECT_EQ(Node(root_->AddChild(Record({{"ipaddr", "10.7.7.7"}}))), nullptr);
  EXPECT_EQ(Node(broker_->AddChild(Record({{"name", "new"}}))), nullptr);
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "not.an.address"}}))), nullptr);
  EXPECT_EQ(Node(agent_->AddChild(Record({{"ipaddr", "10.5.5.6"}, {"port", "65536"}}))), nullptr);
}

TEST_F(SimNodes, RemoveChildTakesTheSubtreeAndLeavesStaleNodesHarmless) {
  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  Walker walker{dsm_->GetChildWalker()};  // positioned on the first target
  ASSERT_TRUE(broker_->RemoveChild(dsm_.get()));
  EXPECT_FALSE(broker_->RemoveChild(dsm_.get()));
  EXPECT_THAT(Children(*broker_), ElementsAre("DSM name=Edge"));

  // Both the removed node and a node below it now fail, without touching freed memory.
  for (TreeNode* stale : {dsm_.get(), target.get()}) {
    EXPECT_FALSE(stale->NodeIsAlive());
    EXPECT_EQ(stale->GetProperties(), nullptr);
    EXPECT_FALSE(stale->SetProperties(NodePropertySet()));
    EXPECT_EQ(stale->GetChildWalker(), nullptr);
    EXPECT_EQ(Item(*stale, "log:0:0:4096"), std::nullopt);
    EXPECT_FALSE(stale->ExecuteCommand("reload", ""));
    EXPECT_EQ(stale->AddChild(Record({{"ipaddr", "10.2.0.7"}})), nullptr);
    EXPECT_STREQ(stale->GetTypeName(), stale == dsm_.get() ? "DSM" : "Target");
  }
  EXPECT_TRUE(walker->AtEnd());
  EXPECT_EQ(walker->Current(), nullptr);

  EXPECT_TRUE(agent_->RemoveChildByData(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_FALSE(agent_->RemoveChildByData(Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}})));
  EXPECT_TRUE(broker_->RemoveChildByData(Record({{"kind", "autoconfig"}})));
  EXPECT_EQ(Node(broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))), nullptr);
  EXPECT_FALSE(root_->RemoveChild(broker_.get()));  // not a child of the root
  EXPECT_FALSE(broker_->RemoveChild(nullptr));
}

TEST_F(SimNodes, PropertiesComeWithActionZeroAndAreReplacedWhole) {
  std::unique_ptr<NodePropertySet> set{agent_->GetProperties()};
  ASSERT_TRUE(set);
  EXPECT_STREQ(set->GetPropertyValue("qpk_own"), "12 5");
  struct Actions : NameValueActionAlgorithm {
    void Process(const char*, const char*, action_t action) override { nonZero += action != 0; }
    int nonZero = 0;
  } actions;
  set->DoForEachProperty(actions);
  EXPECT_EQ(actions.nonZero, 0);

  NodePropertySet replacement;
  replacement.SetPropertyValue("NEW", "1");
  EXPECT_TRUE(agent_->SetProperties(replacement));
  set.reset(agent_->GetProperties());
  EXPECT_EQ(set->size(), 1u);
  EXPECT_STREQ(set->GetPropertyValue("NEW"), "1");
  EXPECT_FALSE(root_->SetProperties(replacement));  // the file has no place for them

  NodePropertySet latin1;
  latin1.SetPropertyValue("NAME", "caf\xE9");
  EXPECT_FALSE(agent_->SetProperties(latin1));  // only UTF-8 can be written back
}

TEST_F(SimNodes, LivenessFollowsAlive) {
  EXPECT_TRUE(root_->NodeIsAlive());
  EXPECT_TRUE(agent_->NodeIsAlive());
  ChildDefinitionData record = Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}});
  agent_->SupplyChildPassword(record, "brokerpw");
  EXPECT_FALSE(Seek(*agent_, record)->NodeIsAlive());
}

TEST_F(SimNodes, ChangeChildPasswordNamesAgentsBrokersAndDsmsOnly) {
  // The local broker has the agent's address and port: its own record must still name it.
  ASSERT_TRUE(root_->ChangeChildPassword(broker_->GetDefinitionData(), "newbroker"));
  Node again = Agent(*root_, "10.1.1.1");
  EXPECT_NE(again, nullptr) << "the agent kept its empty password";
  ChildDefinitionData brokerRecord = Record({{"ipaddr", "10.1.1.1"}, {"port", "5465"}});
  EXPECT_EQ(Seek(*agent_, brokerRecord), nullptr);
  agent_->SupplyChildPassword(brokerRecord, "newbroker");
  EXPECT_NE(Seek(*agent_, brokerRecord), nullptr);

  EXPECT_TRUE(root_->ChangeChildPassword(agent_->GetDefinitionData(), "a"));
  EXPECT_EQ(Agent(*root_, "10.1.1.1"), nullptr);
  EXPECT_NE(Agent(*root_, "10.1.1.1", "5465", "a"), nullptr);
  EXPECT_TRUE(root_->ChangeChildPassword(Record({{"ipaddr", "10.1.1.2"}, {"port", "6000"}}), ""));
  EXPECT_NE(Agent(*root_, "10.1.1.2", "6000"), nullptr);
  EXPECT_TRUE(root_->ChangeChildPassword(dsm_->GetDefinitionData(), "d"));

  Node target = Seek(*dsm_, Record({{"ipaddr", "10.2.0.1"}}));
  Node autoconfig{broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))};
  EXPECT_FALSE(root_->ChangeChildPassword(target->GetDefinitionData(), "t"));
  EXPECT_FALSE(root_->ChangeChildPassword(autoconfig->GetDefinitionData(), "t"));
  EXPECT_FALSE(root_->ChangeChildPassword(Record({{"ipaddr", "10.8.8.8"}}), "t"));
  EXPECT_FALSE(root_->ChangeChildPassword(Record({{"name", "dsm1"}, {"sim_id", "99999"}}), "t"));
  EXPECT_FALSE(agent_->ChangeChildPassword(broker_->GetDefinitionData(), "t"));  // root only
  EXPECT_EQ(root_->AuthenticationChanged(agent_->GetDefinitionData()), 1);
}

TEST_F(SimNodes, VersionAndRuleListItems) {
  EXPECT_EQ(Item(*broker_, "version:1"), "4.2");
  ChildDefinitionData record = Record({{"ipaddr", "10.1.1.20"}, {"port", "5466"}});
  agent_->SupplyChildPassword(record, "brokerpw");
  EXPECT_EQ(Item(*Seek(*agent_, record), "version:1"), std::nullopt);
  EXPECT_EQ(Item(*agent_, "version:1"), std::nullopt);
  const std::string rules = "12 \"Interface down\"\n7 \"CPU \"high\"\"\n";
  EXPECT_EQ(Item(*root_, "rulelist"), rules);
  EXPECT_EQ(Item(*dsm_, "rulelist"), rules);
  EXPECT_EQ(Item(*agent_, "no such item"), std::nullopt);
  EXPECT_EQ(agent_->GetNamedDataItem(nullptr), nullptr);
}

TEST_F(SimNodes, CommandsAreJournaledAndAcceptedIgnoringCase) {
  EXPECT_TRUE(agent_->ExecuteCommand("RESTART", ""));
  EXPECT_TRUE(agent_->ExecuteCommand("reload", "now please"));
  EXPECT_FALSE(agent_->ExecuteCommand("update", ""));      // brokers only, by default
  EXPECT_TRUE(broker_->ExecuteCommand("update", ""));
  Node other = Agent(*root_, "10.1.1.2", "6000", "agentpw");
  EXPECT_TRUE(other->ExecuteCommand("ping", ""));           // the file's own list
  EXPECT_FALSE(other->ExecuteCommand("restart", ""));
  EXPECT_FALSE(root_->ExecuteCommand("restart", ""));
  EXPECT_FALSE(agent_->ExecuteCommand(nullptr, ""));
}

TEST_F(SimNodes, ReconfigurationStatusCountsPolls) {
  Node autoconfig{broker_->GetPotentialChild(Record({{"kind", "autoconfig"}}))};
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "0 0");
  EXPECT_FALSE(autoconfig->ExecuteCommand("restart", ""));
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "0 0");  // a refused command starts nothing
  ASSERT_TRUE(autoconfig->ExecuteCommand("Reconfig", ""));
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "1 0");
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "1 0");
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "0 3");
  EXPECT_EQ(Item(*autoconfig, "autoconfig_status"), "0 3");
  ASSERT_TRUE(dsm_->ExecuteCommand("reconfig", ""));       // default: one poll, result 0
  EXPECT_EQ(Item(*dsm_, "autoconfig_status"), "1 0");
  EXPECT_EQ(Item(*dsm_, "autoconfig_status"), "0 0");
}

TEST_F(SimNodes, NodesOutliveTheInstallationSafely) {
  Walker walker{broker_->GetChildWalker()};
  Close();
  EXPECT_FALSE(agent_->NodeIsAlive());
  EXPECT_EQ(agent_->GetProperties(), nullptr);
  EXPECT_EQ(root_->GetPotentialChild(Record({{"ipaddr", "10.1.1.1"}})), nullptr);
  EXPECT_TRUE(walker->AtEnd());
  walker->First();
  EXPECT_EQ(walker->Current(), nullptr);
  // A new session loads afresh; the old nodes stay dead.
  Node root = Open();
  ASSERT_TRUE(root);
  EXPECT_NE(Agent(*root, "10.1.1.1"), nullptr);
  EXPECT_FALSE(agent_->NodeIsAlive());
}

class Faults : public SimTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Faults, ListedOperationFailsOnThatNodeOnly) {
  const std::string operation = GetParam();
  UseSite(R"({"format": 1, "server": "KORAS", "agents": [
    {"ipaddr": "10.1.1.1", "password": "p", "fail": [")" + operation + R"("], "logs": ["x\n"],
     "brokers": [{"ipaddr": "10.1.1.5"}]},
    {"ipaddr": "10.1.1.2", "password": "p", "logs": ["x\n"], "brokers": [{"ipaddr": "10.1.1.5"}]}]})");
  Node root = Open();
  for (const char* address : {"10.1.1.1", "10.1.1.2"}) {
    Node agent = Agent(*root, address, "5465", "p");
    ASSERT_TRUE(agent);
    const bool failing = std::string(address) == "10.1.1.1";
    bool worked = false;
    ChildDefinitionData broker = Record({{"ipaddr", "10.1.1.5"}, {"port", "5465"}});
    if (operation == "GetProperties") worked = std::unique_ptr<NodePropertySet>(agent->GetProperties()) != nullptr;
    if (operation == "SetProperties") worked = agent->SetProperties(NodePropertySet());
    if (operation == "AddChild") worked = Node(agent->AddChild(Record({{"ipaddr", "10.1.1.6"}}))) != nullptr;
    if (operation == "RemoveChild") worked = agent->RemoveChildByData(broker);
    if (operation == "GetChildWalker") worked = Walker(agent->GetChildWalker()) != nullptr;
    if (operation == "ChangeChildPassword") worked = root->ChangeChildPassword(agent->GetDefinitionData(), "p");
    if (operation == "GetNamedDataItem") worked = Item(*agent, "log:0:0:10").has_value();
    if (operation == "ExecuteCommand") worked = agent->ExecuteCommand("restart", "");
    EXPECT_EQ(worked, !failing) << operation << " on " << address;
    EXPECT_TRUE(agent->NodeIsAlive());
  }
}

INSTANTIATE_TEST_SUITE_P(Sim, Faults,
                         ::testing::Values("GetProperties", "SetProperties", "AddChild",
                                           "RemoveChild", "GetChildWalker", "ChangeChildPassword",
                                           "GetNamedDataItem", "ExecuteCommand"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
}  // namespace simtest
