// DEL run as scripts: which children are removed from the installation, what is dropped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

using ::testing::HasSubstr;

class DelScript : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(DelScript, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const std::string kTree = kSmallTree;

const SiteScriptCase kCases[] = {
    {"AllChildrenAndEverythingBelow", kTree + "SET VERBOSE ON\na1.DEL ALL\nOBJECTS\n",
     "VERBOSE has been set to ON.\n2 entries have been removed from Agent a1.\n"
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n",
     "", 0},
    {"NamedChildUnknownNamesIgnored", kTree + "SET VERBOSE ON\nlb.DEL d1 nosuch\nOBJECTS\n",
     "VERBOSE has been set to ON.\n1 entries have been removed from Broker lb.\n"
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "", 0},
    {"NameThenAll", kTree + "SET VERBOSE ON\na1.DEL rb all\n",
     "VERBOSE has been set to ON.\n2 entries have been removed from Agent a1.\n", "", 0},
    {"ReservedObject", kTree + "BROKER.DEL d1\n", "",
     "t.hxo:7: Subcommand DEL may not be used on reserved objects.\n", 17},
    {"NeedsAName", kTree + "a1.DEL\n", "", "t.hxo:7: Insufficient paramaters for DEL subcommand.\n",
     7},
    {"NoRegisteredNames", kTree + "a1.DEL nosuch RB\n", "",
     "t.hxo:7: No valid objects specified in DEL subcommand for object \"a1\".\n", 14},
    {"NotAChildKeepsTheObject", kTree + "SET CONTINUE ON\na1.DEL d1 a1\nOBJECTS d1\n",
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
     "      `- d1 (DSM - dsm1)\n"
     "         `- t1 (Target - 10.2.0.1 @ public)\n"
     "         `- t2 (Target - 10.2.0.2 @ Secret)\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "t.hxo:8: Subcommand DEL failed on object \"a1\".\n", 0},
    {"AllOnAnObjectWithoutChildren", kTree + "t1.DEL ALL\n", "",
     "t.hxo:7: Subcommand DEL failed on object \"t1\".\n", 26},
};

INSTANTIATE_TEST_SUITE_P(Scripts, DelScript, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(DelTrace, OnlyDirectChildrenAreRemovedFromTheInstallation) {
  SiteRun run = RunOnSite(kSmallSite, kTree + "a1.DEL ALL\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  std::vector<std::string> removals = TraceCalls(run.trace, {"RemoveChild", "RemoveChildByData"});
  ASSERT_EQ(removals.size(), 2u);
  EXPECT_THAT(removals[0], HasSubstr("Agent 127.0.0.1:5465 Broker 127.0.0.1:5465"));
  EXPECT_THAT(removals[1], HasSubstr("Agent 127.0.0.1:5465 Broker 10.1.1.20:40000"));

  EXPECT_FALSE(run.site["agents"][0].contains("brokers") && !run.site["agents"][0]["brokers"].empty());
}

TEST(DelSite, ATargetLeavesTheFileAndItsSiblingStays) {
  SiteRun run = RunOnSite(kSmallSite, kTree + "d1.DEL t1\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  const auto& targets = run.site["agents"][0]["brokers"][0]["dsms"][0]["targets"];
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0]["ipaddr"], "10.2.0.2");
}

}  // namespace
