// OBJECTS and DROP run as scripts against a small installation.
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

class DropAndObjects : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(DropAndObjects, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const std::string kTree = kSmallTree;

const SiteScriptCase kCases[] = {
    {"EmptyRegistry", "OBJECTS\n", "There are no objects currently active.\n", "", 0},
    {"TreeWithEveryKind",
     kTree + "lb.SPAWN ac AUTOCONFIG\nAGENT A0 10.1.1.1 6000 agentpw\nOBJECTS\n",
     "Orbitane\n"
     "`- A0 (Agent - 10.1.1.1:6000)\n"
     "`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n"
     "      `- ac (AutoConfig)\n"
     "      `- d1 (DSM - dsm1)\n"
     "         `- t1 (Target - 10.2.0.1 @ public)\n"
     "         `- t2 (Target - 10.2.0.2 @ Secret)\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "", 0},

    {"DropNeedsAName", "DROP\n", "", "t.hxo:1: Insufficient paramaters for DROP command.\n", 7},
    {"DropAllOnEmptyRegistry", "DROP ALL\n", "",
     "t.hxo:1: No valid objects specified in DROP command.\n", 14},
    {"DropOfUnknownAndReservedNames", "AGENT a1 127.0.0.1\nDROP nosuch AGENT A1\n", "",
     "t.hxo:2: No valid objects specified in DROP command.\n", 14},
    {"DropTakesTheSubtreeAndCountsEachObjectOnce",
     kTree + "SET VERBOSE ON\nDROP nosuch lb d1 lb t2\nOBJECTS\n",
     "VERBOSE has been set to ON.\n4 object references have been dropped.\n"
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n"
     "   `- rb (Broker - 10.1.1.20:40000 [uncontactable])\n",
     "", 0},
    {"DropAllIgnoresLaterTokensAndKeepsTheSession",
     kTree + "SET VERBOSE ON\nDROP all nosuch\nOBJECTS\nAGENT a1 127.0.0.1\nAUTH KORAS root\n",
     "VERBOSE has been set to ON.\n6 object references have been dropped.\n"
     "There are no objects currently active.\nAgent object named a1 has been created.\n",
     "t.hxo:11: Already authenticated to an Ilvaris.\n", 3},
    {"DroppedNamesCanBeDeclaredAgain",
     kTree + "DROP a1\nAGENT a1 127.0.0.1\na1.SPAWN lb BROKER\nOBJECTS\n",
     "Orbitane\n`- a1 (Agent - 127.0.0.1:5465)\n   `- lb (Broker - 127.0.0.1:5465 [v4.2])\n",
     "", 0},
};

INSTANTIATE_TEST_SUITE_P(Scripts, DropAndObjects, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(DropTrace, DropSendsNothingToTheInstallation) {
  SiteRun run = RunOnSite(kSmallSite, kTree + "DROP ALL\n");
  EXPECT_EQ(run.trace.find("RemoveChild"), std::string::npos);
  EXPECT_EQ(run.result.exitCode, 0);
}

}  // namespace
