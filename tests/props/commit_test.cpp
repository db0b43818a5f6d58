// obj.COMMIT against an installation file: what is written and which commands the objects get.
#include <gtest/gtest.h>

#include "base_site.h"

namespace {

using Lines = std::vector<std::string>;

struct Nodes {
  explicit Nodes(const nlohmann::json& site)
      : a1(site["agents"][0]),
        a2(site["agents"][1]),
        b1(a1["brokers"][0]),
        ac(b1["autoconfig"]),
        d1(b1["dsms"][0]),
        t1(d1["targets"][0]),
        t2(d1["targets"][1]) {}
  const nlohmann::json &a1, &a2, &b1, &ac, &d1, &t1, &t2;
};

SiteRun Commit(const std::string& script, const std::string& site = kBaseSite) {
  return RunOnSite(site, kPreamble + script);
}

TEST(Commit, NothingLoadedWritesNothingAndSendsNothing) {
  SiteRun run = Commit("SET VERBOSE ON\nd1.COMMIT\n");
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nProperties for DSM object d1 have been committed.\n");
  EXPECT_TRUE(TraceLines(run.trace, "SetProperties").empty());
  EXPECT_TRUE(TraceLines(run.trace, "ExecuteCommand").empty());
}

TEST(Commit, AListingAloneWritesBackWithoutCommand) {
  SiteRun run = Commit("d1.SET\nd1.COMMIT\n");
  EXPECT_EQ(TraceLines(run.trace, "SetProperties").size(), 1u);
  EXPECT_TRUE(TraceLines(run.trace, "ExecuteCommand").empty());
  Nodes nodes(run.site);
  EXPECT_EQ(nodes.d1["properties"]["qpk_own"], "");
  EXPECT_EQ(nodes.d1["properties"]["qpk_inherited"], "12 5");
  EXPECT_FALSE(nodes.d1["properties"].contains("EXCLUDE"));  // an empty exclusion is left out
}

TEST(Commit, CommandsByKindAndChange) {
  struct Case {
    const char* script;
    Lines a1, b1, ac, d1, t1;
  };
  const Case cases[] = {
      {"d1.SET TIMEOUT 2\nd1.COMMIT\n", {}, {}, {}, {"reload"}, {}},
      {"d1.QPK 12 3\nd1.COMMIT\n", {"restart"}, {}, {}, {"reload"}, {}},
      {"b1.QPK 40 1\nb1.SET BUF 5\nb1.COMMIT\n", {"restart"}, {"reload"}, {}, {}, {}},
      {"ac.SET RANGE x\nac.COMMIT\n", {}, {}, {"reload"}, {}, {}},
      {"t1.QPK 60 0\nt1.COMMIT\n", {"restart"}, {}, {}, {}, {}},
      {"t1.SET D x\nt1.COMMIT\n", {"reload"}, {}, {}, {}, {}},
      {"a1.SET POLL 1\na1.COMMIT\n", {"reload"}, {}, {}, {}, {}},
      {"a1.QPK 40 2\na1.SET POLL 1\na1.COMMIT\n", {"restart"}, {}, {}, {}, {}},
      // Properties on the agent and a rule change below it: one restart, no reload.
      {"a1.SET POLL 1\nd1.QPK 12 1\nALL.COMMIT\n", {"restart"}, {}, {}, {"reload"}, {}},
      // Two targets with rule changes under one agent: one restart.
      {"t1.QPK 12 1\nt2.QPK 40 1\nTARGET.COMMIT\n", {"restart"}, {}, {}, {}, {}},
      {"t1.SET D x\nt2.QPK 40 1\nALL.COMMIT\n", {"restart"}, {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SiteRun run = Commit(c.script);
    ASSERT_EQ(run.result.exitCode, 0) << c.script << run.result.err;
    Nodes nodes(run.site);
    EXPECT_EQ(Journal(nodes.a1), c.a1) << c.script;
    EXPECT_EQ(Journal(nodes.b1), c.b1) << c.script;
    EXPECT_EQ(Journal(nodes.ac), c.ac) << c.script;
    EXPECT_EQ(Journal(nodes.d1), c.d1) << c.script;
    EXPECT_EQ(Journal(nodes.t1), c.t1) << c.script;
    EXPECT_TRUE(Journal(nodes.a2).empty()) << c.script;
  }
}

TEST(Commit, TheAgentRestartComesBeforeTheObjectsReload) {
  SiteRun run = Commit("d1.QPK 12 3\nd1.COMMIT\n");
  const Lines commands = TraceLines(run.trace, "ExecuteCommand");
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_NE(commands[0].find("Agent"), std::string::npos);
  EXPECT_NE(commands[0].find("restart"), std::string::npos);
  EXPECT_NE(commands[1].find("DSM"), std::string::npos);
}

TEST(Commit, WritesRuleValuesAndInheritanceDownTheChain) {
  // t1 is written because a listing loaded it; t2 was never loaded and is left alone.
  SiteRun run = Commit("a1.QPK 40 7\nd1.QPK 12 8\nt1.SET\nALL.COMMIT\nt1.QPK 12\n");
  EXPECT_NE(run.result.out.find("= [ 8]\n"), std::string::npos);
  Nodes nodes(run.site);
  EXPECT_FALSE(nodes.t2["properties"].contains("qpk_inherited"));
  EXPECT_EQ(nodes.a1["properties"]["qpk_own"], "12 5 40 7");
  EXPECT_EQ(nodes.d1["properties"]["qpk_own"], "12 8");
  EXPECT_EQ(nodes.d1["properties"]["qpk_inherited"], "12 5 40 7");
  EXPECT_EQ(nodes.t1["properties"]["qpk_inherited"], "12 8 40 7");
  EXPECT_EQ(nodes.t1["properties"]["POLL"], "300");
}

TEST(Commit, StoredRuleTextInAnotherFormCountsAsAChangeOnce) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["properties"]["qpk_own"] = "12  5";
  SiteRun run = Commit("a1.SET\na1.COMMIT\na1.SET\na1.COMMIT\n", site.dump());
  Nodes nodes(run.site);
  EXPECT_EQ(Journal(nodes.a1), Lines{"restart"});
  EXPECT_EQ(nodes.a1["properties"]["qpk_own"], "12 5");
}

TEST(Commit, AFailedWriteReportsAndDropsTheEdits) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["dsms"][0]["fail"] = {"SetProperties"};
  SiteRun run = Commit("SET CONTINUE ON\nd1.SET TIMEOUT 9\nd1.COMMIT\nd1.SET TIMEOUT\n",
                       site.dump());
  EXPECT_EQ(run.result.err, "t.hxo:10: Failed to commit properties on object \"d1\".\n");
  EXPECT_EQ(run.result.out, "TIMEOUT = 5\n");
  EXPECT_TRUE(Journal(Nodes(run.site).d1).empty());
}

TEST(Commit, ASelectionStoppedByAFailureSendsNothing) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["dsms"][0]["fail"] = {"SetProperties"};
  // ac and b1 are written before d1 fails; with CONTINUE off no command goes out at all.
  SiteRun run = Commit("a1.SET POLL 2\nac.SET RANGE r\nd1.SET TIMEOUT 1\nALL.COMMIT\n",
                       site.dump());
  EXPECT_EQ(run.result.err, "t.hxo:11: Failed to commit properties on object \"d1\".\n");
  EXPECT_EQ(run.result.exitCode, 23);
  Nodes nodes(run.site);
  EXPECT_EQ(nodes.a1["properties"]["POLL"], "2");
  EXPECT_EQ(nodes.ac["properties"]["RANGE"], "r");
  EXPECT_TRUE(TraceLines(run.trace, "ExecuteCommand").empty());
}

TEST(Commit, ASelectionGoesOnWithContinueOn) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["dsms"][0]["fail"] = {"SetProperties"};
  SiteRun run = Commit("SET CONTINUE ON\nSET VERBOSE ON\nac.SET RANGE r\nd1.SET TIMEOUT 1\n"
                       "ALL.COMMIT\n",
                       site.dump());
  EXPECT_EQ(run.result.err, "t.hxo:12: Failed to commit properties on object \"d1\".\n");
  EXPECT_NE(run.result.out.find("Properties for all objects have been committed.\n"),
            std::string::npos);
  EXPECT_EQ(Journal(Nodes(run.site).ac), Lines{"reload"});
}

}  // namespace
