// LIST run as scripts: the three listings, the has-no messages and paging.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "objects/site_scripts.h"

namespace {

using ::testing::ElementsAre;

class ListScript : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(ListScript, RunsScript) { ExpectSiteScript(kSmallSite, GetParam()); }

const std::string kTree = kSmallTree;

const SiteScriptCase kCases[] = {
    {"BrokersOfAnAgent", kTree + "a1.LIST\n",
     "BROKER List for \"a1\":\n"
     "HOST: 127.0.0.1             PORT: 5465 \n"
     "HOST: 10.1.1.20             PORT: 40000\n",
     "", 0},
    {"DsmsOfABroker", kTree + "lb.LIST\n", "DSM List for \"lb\":\nNAME: dsm1\nNAME: dsm2\n", "", 0},
    {"TargetsOfADsm", kTree + "d1.LIST\n",
     "TARGET List for \"d1\":\n"
     "HOST: 10.2.0.1              COMMUNITY: public\n"
     "HOST: 10.2.0.2              COMMUNITY: Secret\n",
     "", 0},
    {"HasNoMessages",
     "AGENT a2 10.1.1.1 6000 agentpw\n" + kTree + "lb.SPAWN d2 dsm2\na2.LIST\nd2.LIST\n",
     "Object \"a2\" has no BROKERS.\nObject \"d2\" has no TARGETS.\n", "", 0},
    {"ReservedObjects", "SET CONTINUE ON\nALL.LIST\nagent.LIST\n", "",
     "t.hxo:2: Subcommand LIST may not be used on reserved objects.\n"
     "t.hxo:3: Subcommand LIST may not be used on reserved objects.\n",
     17},
    {"KindsWithoutListing",
     "SET CONTINUE ON\n" + kTree + "lb.SPAWN ac AUTOCONFIG\nt1.LIST\nac.LIST\n", "",
     "t.hxo:9: Cannot execute LIST on Target object \"t1\".\n"
     "t.hxo:10: Cannot execute LIST on AutoConfig object \"ac\".\n",
     18},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ListScript, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(ListTrace, WalksWithFirstCurrentAndNext) {
  SiteRun run = RunOnSite(kSmallSite, kTree + "lb.LIST\n");
  std::string trace = run.trace.substr(run.trace.rfind("GetChildWalker Broker"));
  EXPECT_THAT(TraceCalls(trace, {"GetChildWalker", "First", "AtEnd", "Current", "Next"}),
              ElementsAre("GetChildWalker Broker 127.0.0.1:5465", "First Broker 127.0.0.1:5465",
                          "AtEnd Broker 127.0.0.1:5465",
                          "Current Broker 127.0.0.1:5465 DSM dsm1", "Next Broker 127.0.0.1:5465",
                          "AtEnd Broker 127.0.0.1:5465",
                          "Current Broker 127.0.0.1:5465 DSM dsm2", "Next Broker 127.0.0.1:5465",
                          "AtEnd Broker 127.0.0.1:5465"));
}

// A broker with 30 DSMs, dsm01 to dsm30.
std::string SiteWithThirtyDsms() {
  std::string dsms;
  for (int n = 1; n <= 30; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "dsm%02d", n);
    dsms += std::string(n == 1 ? "" : ",") + "{\"name\": \"" + name + "\"}";
  }
  return R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "127.0.0.1", "brokers": [
    {"ipaddr": "127.0.0.1", "local": true, "dsms": [)" + dsms + "]}]}]}";
}

TEST(ListPaging, QuitAtTheFirstPromptEndsTheListingAndListSucceeds) {
  SiteRun run = RunOnSite(SiteWithThirtyDsms(),
                          "AGENT a1 127.0.0.1\na1.SPAWN lb BROKER\nlb.LIST\nPRINT after\n",
                          "qu\n");
  std::string expected = "DSM List for \"lb\":\n";
  for (int n = 1; n <= 23; ++n) {
    char line[32];
    std::snprintf(line, sizeof line, "NAME: dsm%02d\n", n);
    expected += line;
  }
  expected += "--more-- after\n";
  EXPECT_EQ(run.result.out, expected);
  EXPECT_EQ(run.result.exitCode, 0);
}

TEST(ListPaging, BackAtTheSecondPromptStartsOverFromTheHeader) {
  SiteRun run = RunOnSite(SiteWithThirtyDsms(),
                          "SET LINES 10\nAGENT a1 127.0.0.1\na1.SPAWN lb BROKER\nlb.LIST\n",
                          "\nb\nq\n");
  // Pages of 9 lines: header and dsm01-08, dsm09-17, back to the header, then quit.
  std::string page1 = "DSM List for \"lb\":\n";
  for (int n = 1; n <= 8; ++n) page1 += "NAME: dsm0" + std::to_string(n) + "\n";
  std::string page2;
  for (int n = 9; n <= 17; ++n) {
    page2 += std::string("NAME: dsm") + (n < 10 ? "0" : "") + std::to_string(n) + "\n";
  }
  EXPECT_EQ(run.result.out, page1 + "--more-- " + page2 + "--more-- " + page1 + "--more-- ");
}

}  // namespace
