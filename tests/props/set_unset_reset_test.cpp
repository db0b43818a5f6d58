// obj.SET, obj.UNSET and obj.RESET run as scripts against an installation file.
#include <gtest/gtest.h>

#include "base_site.h"

namespace {

// The scripts run after kPreamble, so their lines are numbered from 8.
class PropertyCommand : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(PropertyCommand, RunsScript) { ExpectSiteScript(kBaseSite, GetParam(), kPreamble); }

const SiteScriptCase kCases[] = {
    {"ListsShowsAndSets",
     "a1.SET\na1.SET POLL\nSET VERBOSE ON\na1.SET POLL 30   and  more\na1.SET POLL\n",
     "LEVEL = INFO\nPOLL = 60\nPOLL = 60\nVERBOSE has been set to ON.\n"
     "Value of POLL for Agent object a1 has been set to 30   and  more.\n"
     "POLL = 30   and  more\n",
     "", 0},
    {"ValuesAreNeverFormats", "a1.SET POLL 100%s%d\na1.SET POLL\n", "POLL = 100%s%d\n", "", 0},
    {"OnlyExistingPropertiesAreSet", "a1.SET nosuch 1\n", "",
     "t.hxo:8: Could not obtain properties or property \"nosuch\" does not exist for object "
     "\"a1\".\n",
     19},
    {"ShowingAMissingPropertyFails", "a1.SET nosuch\n", "",
     "t.hxo:8: Could not obtain properties or property \"nosuch\" does not exist for object "
     "\"a1\".\n",
     19},
    {"HiddenPropertiesAreNotShown", "a1.SET qpk_own\n", "",
     "t.hxo:8: Could not obtain properties or property \"qpk_own\" does not exist for object "
     "\"a1\".\n",
     19},
    {"SelectionNeedsAnOption", "TARGET.SET\n", "",
     "t.hxo:8: Insufficient paramaters for SET subcommand on reserved object.\n", 7},
    {"SelectionListsObjectsThatHaveTheProperty", "SET CONTINUE ON\nALL.SET POLL\n",
     "a1: POLL = 60\na2: POLL = 90\nt1: POLL = 300\n",
     "t.hxo:9: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"ac\".\n"
     "t.hxo:9: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"b1\".\n"
     "t.hxo:9: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"d1\".\n"
     "t.hxo:9: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"t2\".\n",
     19},
    {"SelectionListingStopsAtAFailureWithContinueOff", "TARGET.SET POLL\n", "t1: POLL = 300\n",
     "t.hxo:8: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"t2\".\n",
     19},
    {"SelectionSetGoesOnWithContinueOn",
     "SET CONTINUE ON\nSET VERBOSE ON\nALL.SET POLL 1\nTARGET.SET POLL\nAGENT.SET POLL\n",
     "VERBOSE has been set to ON.\nValue of POLL for all objects has been set to 1.\n"
     "t1: POLL = 1\na1: POLL = 1\na2: POLL = 1\n",
     "t.hxo:10: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"ac\".\n"
     "t.hxo:10: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"b1\".\n"
     "t.hxo:10: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"d1\".\n"
     "t.hxo:10: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"t2\".\n"
     "t.hxo:11: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"t2\".\n",
     0},
    {"SelectionSetStopsWithContinueOff", "ALL.SET POLL 1\nSET CONTINUE ON\nAGENT.SET POLL\n",
     "",
     "t.hxo:8: Could not obtain properties or property \"POLL\" does not exist for object "
     "\"ac\".\n",
     19},
    {"TargetsOfOneKindOnly", "SET VERBOSE ON\nTARGET.SET D x\nTARGET.SET D\nDSM.SET TIMEOUT\n",
     "VERBOSE has been set to ON.\nValue of D for Target objects has been set to x.\n"
     "t1: D = x\nt2: D = x\nd1: TIMEOUT = 5\n",
     "", 0},
    {"UnsetAndResetNeedAnOption", "SET CONTINUE ON\na1.UNSET\na1.RESET\n", "",
     "t.hxo:9: Insufficient paramaters for UNSET subcommand.\n"
     "t.hxo:10: Insufficient paramaters for RESET subcommand.\n",
     7},
    {"UnsetEmptiesAndIgnoresFurtherTokens",
     "SET VERBOSE ON\na1.UNSET POLL LEVEL\na1.SET\na1.UNSET brandnew\na1.SET brandnew\n",
     "VERBOSE has been set to ON.\nValue of POLL for Agent object a1 has been unset.\n"
     "LEVEL = INFO\nPOLL = \nValue of brandnew for Agent object a1 has been unset.\n"
     "brandnew = \n",
     "", 0},
    {"ResetRestoresTheLoadedValue",
     "a1.SET POLL 6\na1.RESET POLL\na1.SET POLL\nSET VERBOSE ON\nALL.RESET POLL\n"
     "DROP ALL\nAGENT.RESET POLL\n",
     "POLL = 60\nVERBOSE has been set to ON.\nValue of POLL for all objects has been reset.\n"
     "7 object references have been dropped.\n"
     "Value of POLL for Agent objects has been reset.\n",
     "", 0},
    {"TargetsUnderABrokerWithTheCableDsmGetCableCommunity", "t1.SET CABLE_CMTY\n", "",
     "t.hxo:8: Could not obtain properties or property \"CABLE_CMTY\" does not exist for object "
     "\"t1\".\n",
     19},
};
INSTANTIATE_TEST_SUITE_P(Scripts, PropertyCommand, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(PropertyCommandSite, CableCommunityAppearsWhenTheBrokerHoldsTheCableDsm) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["dsms"].push_back({{"name", "_cmmt"}});
  SiteRun run = RunOnSite(site.dump(), kPreamble +
                                                "b1.SPAWN _cmmt _cmmt\nt1.SET\nt1.SET CABLE_CMTY c7\n"
                                                "t1.COMMIT\n");
  EXPECT_EQ(run.result.out, "CABLE_CMTY = \nD = first\nPOLL = 300\n");
  EXPECT_EQ(run.result.err, "");
  const auto& target = run.site["agents"][0]["brokers"][0]["dsms"][0]["targets"][0];
  EXPECT_EQ(target["properties"]["CABLE_CMTY"], "c7");
}

TEST(PropertyCommandSite, ObjectWithoutPropertiesListsNothing) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["fail"] = {"GetProperties"};
  SiteRun run = RunOnSite(site.dump(), kPreamble + "a2.SET\na2.SET POLL\n");
  EXPECT_EQ(run.result.out, "");
  EXPECT_EQ(run.result.err,
            "t.hxo:9: Could not obtain properties or property \"POLL\" does not exist for "
            "object \"a2\".\n");
  EXPECT_EQ(run.result.exitCode, 19);
}

// A listing of 30 properties p00 .. p29 on a2, paged 5 lines to the screen (4 lines a page).
std::string ManyPropertiesSite() {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  for (int i = 0; i < 30; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "p%02d", i);
    site["agents"][1]["properties"][name] = std::to_string(i);
  }
  return site.dump();
}
std::string PropertyLines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "p%02d = %d\n", i, i);
    text += line;
  }
  return text;
}

TEST(PropertyCommandSite, OneObjectListingPagesBackAndQuits) {
  // Pages: POLL p00 p01 p02 | p03..p06 | p07..p10; back at the third prompt shows the second.
  SiteRun run = RunOnSite(ManyPropertiesSite(),
                               kPreamble + "SET LINES 5\na2.SET\nPRINT after\n",
                               "\n\nb\nqu\n");
  const std::string more = "--more-- ";
  EXPECT_EQ(run.result.out, "POLL = 90\n" + PropertyLines(0, 2) + more + PropertyLines(3, 6) +
                                more + PropertyLines(7, 10) + more + PropertyLines(3, 6) +
                                more + "after\n");
  EXPECT_EQ(run.result.exitCode, 0);
}

TEST(PropertyCommandSite, BackOnTheFirstTwoPagesStartsAgain) {
  SiteRun run = RunOnSite(ManyPropertiesSite(),
                               kPreamble + "SET LINES 5\na2.SET\n", "b\n\nb\nq\n");
  const std::string more = "--more-- ";
  const std::string firstPage = "POLL = 90\n" + PropertyLines(0, 2);
  EXPECT_EQ(run.result.out, firstPage + more + firstPage + more + PropertyLines(3, 6) + more +
                                firstPage + more);
}

TEST(PropertyCommandSite, SelectionListingStepsBackOverSelectedObjectsOnly) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  auto& targets = site["agents"][0]["brokers"][0]["dsms"][0]["targets"];
  std::string script = kPreamble + "SET LINES 3\n";
  for (int i = 3; i <= 8; ++i) {
    const std::string address = "10.2.0." + std::to_string(i);
    targets.push_back({{"ipaddr", address}, {"properties", {{"D", "n" + std::to_string(i)}}}});
    script += "d1.SPAWN t" + std::to_string(i) + " " + address + "\n";
  }
  script += "TARGET.SET D\n";
  // Pages of two lines; back at the third prompt goes back three targets to the second page.
  SiteRun run = RunOnSite(site.dump(), script, "\n\nb\nq\n");
  EXPECT_EQ(run.result.out,
            "t1: D = first\nt2: D = second\n--more-- t3: D = n3\nt4: D = n4\n--more-- "
            "t5: D = n5\nt6: D = n6\n--more-- t3: D = n3\nt4: D = n4\n--more-- ");
  EXPECT_EQ(run.result.err, "");
}

}  // namespace
