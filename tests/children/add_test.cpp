// ADD run as scripts: what it prints, what it asks the installation and what the file holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

using ::testing::ElementsAre;

class AddScript : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(AddScript, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const std::string kTree = kSmallTree;

const SiteScriptCase kCases[] = {
    {"BrokerToAgent", kTree + "SET VERBOSE ON\na1.ADD b9 10.1.1.30 6001\nOBJECTS\n",
     "VERBOSE has been set to ON.\nBroker entry b9 has been added to Agent a1.\n"
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- b9 (Broker - 10.1.1.30:6001 [uncontactable])\n"
     "   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
     "      `- d1 (DSM - dsm1)\n"
     "         `- t1 (Target - 10.2.0.1 @ public)\n"
     "         `- t2 (Target - 10.2.0.2 @ Secret)\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "", 0},
    {"TargetToDsmWithDefaultCommunity", kTree + "SET VERBOSE ON\nd1.ADD t9 localhost\nOBJECTS t9\n",
     "VERBOSE has been set to ON.\nTarget entry t9 has been added to DSM d1.\n"
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
     "      `- d1 (DSM - dsm1)\n"
     "         `- t1 (Target - 10.2.0.1 @ public)\n"
     "         `- t2 (Target - 10.2.0.2 @ Secret)\n"
     "         `- t9 (Target - 127.0.0.1 @ public)\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "", 0},
    {"UncontactableNeedsForce",
     kTree + "SET CONTINUE ON\na1.ADD b9 10.9.9.9\na1.ADD -f b9 10.9.9.9\n", "",
     "t.hxo:8: Subcommand ADD failed on object \"a1\".\n", 0},
    {"ReservedObject", "AGENT a1 127.0.0.1\nALL.ADD b9 10.1.1.30\n", "",
     "t.hxo:2: Subcommand ADD may not be used on reserved objects.\n", 17},
    {"TooFewTokens", "AGENT a1 127.0.0.1\na1.ADD b9\n", "",
     "t.hxo:2: Insufficient paramaters for ADD subcommand.\n", 7},
    {"SwitchesAreLowerCaseF", "SET CONTINUE ON\nAGENT a1 127.0.0.1\na1.ADD -F b9 10.1.1.30\n"
     "a1.ADD -fx b9 10.1.1.30\n", "",
     "t.hxo:3: Invalid switch used in ADD subcommand.\n"
     "t.hxo:4: Invalid switch used in ADD subcommand.\n", 7},
    {"SeveralSwitchTokensAndLetters",
     "SET VERBOSE ON\nAGENT a1 127.0.0.1\na1.ADD -ff - -f b9 10.9.9.9\n",
     "VERBOSE has been set to ON.\nAgent object named a1 has been created.\n"
     "Broker entry b9 has been added to Agent a1.\n", "", 0},
    {"ForcedWithoutAddressLooksUpNothing", "AGENT a1 127.0.0.1\na1.ADD -f b9\n", "",
     "t.hxo:2: Subcommand ADD failed on object \"a1\".\n", 26},
    {"BadNewNames", "SET CONTINUE ON\nAGENT a1 127.0.0.1\na1.ADD b.1 10.1.1.30\n"
     "a1.ADD Target 10.1.1.30\n", "",
     "t.hxo:3: Bad object name \"b.1\".\nt.hxo:4: Bad object name \"Target\".\n", 11},
    {"WrongKinds", kTree + "SET CONTINUE ON\nt1.ADD x 10.1.1.30\nlb.ADD x 10.1.1.30\n", "",
     "t.hxo:8: Cannot execute ADD on Target object \"t1\".\n"
     "t.hxo:9: Cannot execute ADD on Broker object \"lb\".\n", 18},
    {"RegisteredNameChangesNothing", kTree + "a1.ADD t1 10.1.1.30\n", "",
     "t.hxo:7: Subcommand ADD failed on object \"a1\".\n", 26},
    {"ExistingIdentityIsRefused", kTree + "a1.ADD b9 10.1.1.20 40000\n", "",
     "t.hxo:7: Subcommand ADD failed on object \"a1\".\n", 26},
};

INSTANTIATE_TEST_SUITE_P(Scripts, AddScript, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(AddTrace, AsksCanAddChildUnlessForced) {
  SiteRun run = RunOnSite(kSmallSite,
                          "AGENT a1 127.0.0.1\na1.ADD b1 10.0.0.5\na1.ADD -f b2 10.0.0.6 70000 pw\n");
  EXPECT_EQ(run.result.exitCode, 0);
  EXPECT_THAT(TraceCalls(run.trace, {"SupplyChildPassword", "CanAddChild", "AddChild"}),
              ElementsAre("SupplyChildPassword Root ipaddr=127.0.0.1 port=5465 password=\"\"",
                          "SupplyChildPassword Agent 127.0.0.1:5465 ipaddr=10.0.0.5 port=5465 "
                          "password=\"\"",
                          "CanAddChild Agent 127.0.0.1:5465 ipaddr=10.0.0.5 port=5465",
                          "AddChild Agent 127.0.0.1:5465 ipaddr=10.0.0.5 port=5465",
                          // 70000 is taken as its low 16 bits.
                          "SupplyChildPassword Agent 127.0.0.1:5465 ipaddr=10.0.0.6 port=4464 "
                          "password=***",
                          "AddChild Agent 127.0.0.1:5465 ipaddr=10.0.0.6 port=4464"));
}

TEST(AddSite, TheInstallationFileHoldsTheNewEntries) {
  SiteRun run = RunOnSite(kSmallSite, std::string(kSmallTree) +
                                          "a1.ADD b9 10.1.1.30 65536\nd1.ADD t9 10.2.0.9 Mon\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  const auto& brokers = run.site["agents"][0]["brokers"];
  ASSERT_EQ(brokers.size(), 3u);
  EXPECT_EQ(brokers[2]["ipaddr"], "10.1.1.30");
  EXPECT_EQ(brokers[2]["port"], 5465);
  const auto& targets = brokers[0]["dsms"][0]["targets"];
  ASSERT_EQ(targets.size(), 3u);
  EXPECT_EQ(targets[2]["ipaddr"], "10.2.0.9");
  EXPECT_EQ(targets[2]["community"], "Mon");
}

}  // namespace
