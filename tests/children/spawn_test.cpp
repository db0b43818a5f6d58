// SPAWN run as scripts: the five forms, the duplicate tests and the QUIET rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

using ::testing::ElementsAre;

class SpawnScript : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(SpawnScript, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const std::string kAgent = "AGENT a1 127.0.0.1\n";
const std::string kBroker = kAgent + "a1.SPAWN lb broker\n";
const std::string kDsm = kBroker + "lb.SPAWN d1 dsm1\n";

const SiteScriptCase kCases[] = {
    {"EveryFormConfirms",
     "SET VERBOSE ON\n" + kAgent +
         "a1.SPAWN lb Broker\na1.SPAWN rb 10.1.1.20 40000\nlb.SPAWN ac AutoConfig\n"
         "lb.SPAWN d2 dsm2\nlb.SPAWN d1 dsm1\nd1.SPAWN t1 10.2.0.1\n",
     "VERBOSE has been set to ON.\nAgent object named a1 has been created.\n"
     "Broker entry lb has been spawned from Agent a1.\n"
     "Broker entry rb has been spawned from Agent a1.\n"
     "AutoConfig entry ac has been spawned from Broker lb.\n"
     "DSM entry d2 has been spawned from Broker lb.\n"
     "DSM entry d1 has been spawned from Broker lb.\n"
     "Target entry t1 has been spwaned from DSM d1.\n",
     "", 0},
    {"ReservedObject", kAgent + "Agent.SPAWN b1 BROKER\n", "",
     "t.hxo:2: Subcommand SPAWN may not be used on reserved objects.\n", 17},
    {"NeedsAName", kAgent + "a1.SPAWN\n", "",
     "t.hxo:2: Insufficient paramaters for SPAWN subcommand.\n", 7},
    {"BadNewNames", "SET CONTINUE ON\n" + kAgent + "a1.SPAWN l.b BROKER\na1.SPAWN broker BROKER\n",
     "", "t.hxo:3: Bad object name \"l.b\".\nt.hxo:4: Bad object name \"broker\".\n", 11},
    {"NotOnTargetsOrAutoconfig",
     "SET CONTINUE ON\n" + kDsm + "d1.SPAWN t1 10.2.0.1\nlb.SPAWN ac AUTOCONFIG\n"
         "t1.SPAWN x y\nac.SPAWN x y\n",
     "",
     "t.hxo:7: Cannot execute SPAWN on Target object \"t1\".\n"
     "t.hxo:8: Cannot execute SPAWN on AutoConfig object \"ac\".\n",
     18},
    {"OneLocalBrokerAndAnyBrokerCounts",
     "SET CONTINUE ON\nAGENT a1 127.0.0.1\nAGENT a2 127.0.0.1\na1.SPAWN lb BROKER\n"
     "a1.SPAWN lb2 BROKER\na2.SPAWN rb 10.1.1.20 40000\na2.SPAWN lb BROKER\n",
     "",
     "t.hxo:5: Subcommand SPAWN failed on object \"a1\".\n"
     "t.hxo:7: Subcommand SPAWN failed on object \"a2\".\n",
     26},
    {"OneAutoconfigPerBroker", kBroker + "lb.SPAWN ac autoconfig\nlb.SPAWN ac2 AUTOCONFIG\n", "",
     "t.hxo:4: Subcommand SPAWN failed on object \"lb\".\n", 26},
    {"DuplicateBrokerAddressAndPort",
     kAgent + "a1.SPAWN rb 10.1.1.20 40000\na1.SPAWN rb2 10.1.1.20 40000\n", "",
     "t.hxo:3: Subcommand SPAWN failed on object \"a1\".\n", 26},
    {"DuplicateDsmNameIgnoresCase", kDsm + "lb.SPAWN d2 DSM1\n", "",
     "t.hxo:4: Subcommand SPAWN failed on object \"lb\".\n", 26},
    {"RegisteredNameIsRefused", kDsm + "lb.SPAWN a1 dsm2\n", "",
     "t.hxo:4: Subcommand SPAWN failed on object \"lb\".\n", 26},
    {"NotInTheConfiguration", "SET CONTINUE ON\n" + kAgent + "a1.SPAWN b1\na1.SPAWN b2 10.1.1.20\n",
     "",
     "t.hxo:3: Subcommand SPAWN failed on object \"a1\".\n"
     "t.hxo:4: Subcommand SPAWN failed on object \"a1\".\n",
     26},
    {"TargetFailureIsReportedWhenNotQuiet", "SET QUIET OFF\n" + kDsm + "d1.SPAWN t1 10.2.0.7\n", "",
     "t.hxo:5: Subcommand SPAWN failed on object \"d1\".\n", 26},
    {"QuietTargetFailureStillStopsTheScript",
     kDsm + "d1.SPAWN t1 10.2.0.7\nPRINT not reached\n", "", "", 26},
    {"DuplicateTargetComparesCommunityIgnoringCase",
     "SET QUIET OFF\n" + kDsm + "d1.SPAWN t2 10.2.0.2 Secret\nd1.SPAWN t3 10.2.0.2 secret\n", "",
     "t.hxo:6: Subcommand SPAWN failed on object \"d1\".\n", 26},
};

INSTANTIATE_TEST_SUITE_P(Scripts, SpawnScript, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(SpawnTrace, ADuplicateNeverReachesTheInstallation) {
  SiteRun run = RunOnSite(kSmallSite, kAgent + "a1.SPAWN rb 10.1.1.20 40000 pw\n"
                                               "a1.SPAWN rb2 10.1.1.20 40000\n");
  EXPECT_EQ(run.result.exitCode, 26);
  EXPECT_THAT(TraceCalls(run.trace, {"SupplyChildPassword", "Seek"}),
              ElementsAre("SupplyChildPassword Root ipaddr=127.0.0.1 port=5465 password=\"\"",
                          "SupplyChildPassword Agent 127.0.0.1:5465 ipaddr=10.1.1.20 "
                          "port=40000 password=***",
                          "Seek Agent 127.0.0.1:5465 ipaddr=10.1.1.20 port=40000"));
}

TEST(SpawnTrace, TargetSearchUsesTheCommunityAsTypedOrPublic) {
  SiteRun run = RunOnSite(kSmallSite, kDsm + "d1.SPAWN t1 10.2.0.1\nd1.SPAWN t2 10.2.0.2 SECRET\n");
  EXPECT_THAT(TraceCalls(run.trace, {"Seek"}),
              ElementsAre("Seek Broker 127.0.0.1:5465 name=dsm1",
                          "Seek DSM dsm1 community=public ipaddr=10.2.0.1",
                          "Seek DSM dsm1 community=SECRET ipaddr=10.2.0.2"));
}

}  // namespace
