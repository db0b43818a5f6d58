// SET, UNSET, RESET, QPK, COMMIT, LOG and RUN on objects, run in-process against a small
// installation file; what COMMIT and RUN write into it.
#include <nlohmann/json.hpp>

#include "in_process.h"

namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

// Agent 10.1.1.1 ("a1" in kPreamble) with its local broker ("b1"), the broker's autoconfig
// object ("ac"), DSM dsm1 ("d1") with targets 10.2.0.1 and 10.2.0.2 ("t1", "t2"), and a second
// agent 10.1.1.2 ("a2"); three rules: 12, 40 and 60.
const char kSite[] = R"({
  "format": 1, "server": "KORAS",
  "rules": [ {"number": 12, "description": "Interface down"},
             {"number": 40, "description": "CPU load high"},
             {"number": 60, "description": "BGP session down"} ],
  "agents": [
    { "ipaddr": "10.1.1.1",
      "properties": { "POLL": "60", "LEVEL": "INFO", "qpk_own": "12 5" },
      "brokers": [
        { "ipaddr": "10.1.1.1", "local": true, "version": "4.2",
          "properties": { "BUF": "100" },
          "autoconfig": { "properties": { "RANGE": "10.2.0.0/24" } },
          "dsms": [
            { "name": "dsm1", "properties": { "TIMEOUT": "5" },
              "targets": [
                { "ipaddr": "10.2.0.1", "properties": { "D": "first", "POLL": "300" } },
                { "ipaddr": "10.2.0.2", "properties": { "D": "second" } } ] } ] } ] },
    { "ipaddr": "10.1.1.2", "properties": { "POLL": "90" } } ]
})";

// Declares the objects named above: seven lines, so a row's own script starts at line 8.
const std::string kPreamble =
    "AGENT a1 10.1.1.1\na1.SPAWN b1 BROKER\nb1.SPAWN ac AUTOCONFIG\nb1.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\nd1.SPAWN t2 10.2.0.2\nAGENT a2 10.1.1.2\n";

std::string Missing(int line, const char* property, const char* object) {
  return "t.hxo:" + std::to_string(line) + ": Could not obtain properties or property \"" +
         property + "\" does not exist for object \"" + object + "\".\n";
}
const std::string kHeader =
    "RULE DESCRIPTION                                                         VALUE\n";
const std::string kRule40 =
    "40   CPU load high                                                     = ";

// kSite with change applied.
std::string Site(void (*change)(json&)) {
  json site = json::parse(kSite);
  change(site);
  return site.dump();
}

TEST(Properties, MessagesAndCodes) {
  ExpectRows(
      {
          // SET, UNSET, RESET
          {"a1.SET POLL 100%s%d\na1.SET POLL\n", "POLL = 100%s%d\n", "", 0},
          {"TARGET.SET\n", "",
           "t.hxo:8: Insufficient paramaters for SET subcommand on reserved object.\n", 7},
          // With CONTINUE OFF a selection stops at the first object that fails.
          {"TARGET.SET POLL\n", "t1: POLL = 300\n", Missing(8, "POLL", "t2"), 19},
          {"ALL.SET POLL 1\nSET CONTINUE ON\nAGENT.SET POLL\n", "", Missing(8, "POLL", "ac"), 19},
          {"SET VERBOSE ON\na1.UNSET POLL LEVEL\na1.SET\na1.UNSET brandnew\na1.SET brandnew\n",
           "VERBOSE has been set to ON.\nValue of POLL for Agent object a1 has been unset.\n"
           "LEVEL = INFO\nPOLL = \nValue of brandnew for Agent object a1 has been unset.\n"
           "brandnew = \n",
           "", 0},
          // Only targets below a broker with a _cmmt DSM show CABLE_CMTY.
          {"t1.SET CABLE_CMTY\n", "", Missing(8, "CABLE_CMTY", "t1"), 19},
          // QPK
          {"SET CONTINUE ON\na1.QPK 12 11\na1.QPK 12 -2\na1.QPK 12 0\na1.QPK 40 10\n", "",
           "t.hxo:9: Failed to set 12 rule value on object \"a1\".\n"
           "t.hxo:10: Failed to set 12 rule value on object \"a1\".\n",
           0},
          {"SET CONTINUE ON\na1.QPK 999 5\na1.QPK 0999x\n", "",
           "t.hxo:9: Could not obtain rule descriptions or rule \"999\" does not exist for object "
           "\"a1\".\n"
           "t.hxo:10: Could not obtain rule descriptions or rule \"0999x\" does not exist for "
           "object "
           "\"a1\".\n",
           20},
          {"SET VERBOSE ON\nTARGET.QPK 40 3\nt2.QPK 40 -1\nTARGET.QPK 40\n",
           "VERBOSE has been set to ON.\nRule value of 40 for Target objects has been set to 3.\n"
           "Rule value of 40 for Target object t2 has been set to -1.\n" +
               kHeader + "t1: " + kRule40 + "  3 \nt2: " + kRule40 + "[10]\n",
           "", 0},
          {"ALL.QPK 12 12\n", "", "t.hxo:8: Failed to set 12 rule value on object \"a1\".\n", 22},
      },
      kSite, kPreamble);
}

TEST(Properties, WithoutProperties) {
  // An object whose properties cannot be fetched lists nothing and has no rules.
  ExpectRows({{"SET CONTINUE ON\na2.SET\na2.SET POLL\na2.QPK\na2.QPK 12\na2.QPK 12 1\n", kHeader,
               Missing(10, "POLL", "a2") +
                   "t.hxo:12: Could not obtain rule descriptions or rule \"12\" does not exist "
                   "for object \"a2\".\nt.hxo:13: Failed to set 12 rule value on object \"a2\".\n",
               22}},
             Site([](json& s) { s["agents"][1]["fail"] = {"GetProperties"}; }), kPreamble);
}

TEST(Properties, SelectionListingPagesBackOverSelectedObjectsOnly) {
  json site = json::parse(kSite);
  std::string script = "SET LINES 3\n";
  for (int i = 3; i <= 8; ++i) {
    const std::string n = std::to_string(i);
    site["agents"][0]["brokers"][0]["dsms"][0]["targets"].push_back(
        {{"ipaddr", "10.2.0." + n}, {"properties", {{"D", "n" + n}}}});
    script += "d1.SPAWN t" + n + " 10.2.0." + n + "\n";
  }
  // Pages of two lines; back at the third prompt goes back three targets to the second page.
  ExpectRows({{script + "TARGET.SET D\n",
               "t1: D = first\nt2: D = second\n--more-- t3: D = n3\nt4: D = n4\n--more-- "
               "t5: D = n5\nt6: D = n6\n--more-- t3: D = n3\nt4: D = n4\n--more-- ",
               "", 0, "\n\nb\nq\n"}},
             site.dump(), kPreamble);
}

// Runs kPreamble and script against site, with the simulator's trace; the installation file
// afterwards.
struct SiteRun {
  Result result;
  json site;
  std::string trace;
};
SiteRun RunOnSite(const std::string& script, const std::string& site = kSite,
                  const std::string& input = "") {
  Folder folder;
  folder.Write("site.json", site);
  SiteRun run;
  run.result = RunScript(folder, kPreamble + script, input, true, true);
  run.site = json::parse(folder.Read("site.json"));
  run.trace = folder.Read("trace");
  return run;
}
Lines Journal(const json& node) { return node.value("journal", Lines{}); }
const json& Agent1(const json& site) { return site["agents"][0]; }
const json& Broker1(const json& site) { return Agent1(site)["brokers"][0]; }
const json& Dsm1(const json& site) { return Broker1(site)["dsms"][0]; }
const json& Target(const json& site, int n) { return Dsm1(site)["targets"][n]; }

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
      // Nothing used: nothing written, nothing sent; only read: written, nothing sent.
      {"d1.COMMIT\n", {}, {}, {}, {}, {}},
      {"d1.SET\nd1.COMMIT\n", {}, {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    SiteRun run = RunOnSite(c.script);
    ASSERT_EQ(run.result.code, 0) << run.result.err;
    EXPECT_EQ(Journal(Agent1(run.site)), c.a1);
    EXPECT_EQ(Journal(Broker1(run.site)), c.b1);
    EXPECT_EQ(Journal(Broker1(run.site)["autoconfig"]), c.ac);
    EXPECT_EQ(Journal(Dsm1(run.site)), c.d1);
    EXPECT_EQ(Journal(Target(run.site, 0)), c.t1);
    EXPECT_EQ(Journal(run.site["agents"][1]), Lines{});
  }
}

TEST(Commit, WritesRulesAndInheritanceDownTheChain) {
  // The agent's restart comes before the DSM's reload.
  EXPECT_EQ(
      LinesStartingWith(RunOnSite("d1.QPK 12 3\nd1.COMMIT\n").trace, "ExecuteCommand"),
      (Lines{"ExecuteCommand Agent 10.1.1.1:5465 restart", "ExecuteCommand DSM dsm1 reload"}));
  // t1 is written because a listing loaded it; t2 was never loaded and is left alone.
  SiteRun run = RunOnSite("a1.QPK 40 7\nd1.QPK 12 8\nt1.SET\nALL.COMMIT\nt1.QPK 12\n");
  EXPECT_NE(run.result.out.find("= [ 8]\n"), std::string::npos);
  EXPECT_FALSE(Target(run.site, 1)["properties"].contains("qpk_inherited"));
  EXPECT_EQ(Agent1(run.site)["properties"]["qpk_own"], "12 5 40 7");
  EXPECT_EQ(Dsm1(run.site)["properties"]["qpk_own"], "12 8");
  EXPECT_EQ(Dsm1(run.site)["properties"]["qpk_inherited"], "12 5 40 7");
  EXPECT_EQ(Target(run.site, 0)["properties"]["qpk_inherited"], "12 8 40 7");
  EXPECT_EQ(Target(run.site, 0)["properties"]["POLL"], "300");
  // Nothing used: nothing written. A listing alone writes the rules back, and an empty
  // exclusion is left out.
  EXPECT_EQ(LinesStartingWith(RunOnSite("d1.COMMIT\n").trace, "SetProperties"), Lines{});
  run = RunOnSite("d1.SET\nd1.COMMIT\n");
  EXPECT_EQ(LinesStartingWith(run.trace, "SetProperties").size(), 1u);
  EXPECT_EQ(Dsm1(run.site)["properties"]["qpk_own"], "");
  EXPECT_EQ(Dsm1(run.site)["properties"]["qpk_inherited"], "12 5");
  EXPECT_FALSE(Dsm1(run.site)["properties"].contains("EXCLUDE"));
  // Rule text stored in another form is a change once.
  run = RunOnSite("a1.SET\na1.COMMIT\na1.SET\na1.COMMIT\n",
                  Site([](json& s) { s["agents"][0]["properties"]["qpk_own"] = "12  5"; }));
  EXPECT_EQ(Journal(Agent1(run.site)), Lines{"restart"});
  EXPECT_EQ(Agent1(run.site)["properties"]["qpk_own"], "12 5");
}

TEST(Commit, AFailedWrite) {
  const std::string site =
      Site([](json& s) { s["agents"][0]["brokers"][0]["dsms"][0]["fail"] = {"SetProperties"}; });
  // The edits are dropped all the same.
  SiteRun run = RunOnSite("SET CONTINUE ON\nd1.SET TIMEOUT 9\nd1.COMMIT\nd1.SET TIMEOUT\n", site);
  EXPECT_EQ(run.result.err, "t.hxo:10: Failed to commit properties on object \"d1\".\n");
  EXPECT_EQ(run.result.out, "TIMEOUT = 5\n");
  EXPECT_EQ(Journal(Dsm1(run.site)), Lines{});
  // ac and b1 are written before d1 fails; with CONTINUE OFF no command goes out at all.
  run = RunOnSite("a1.SET POLL 2\nac.SET RANGE r\nd1.SET TIMEOUT 1\nALL.COMMIT\n", site);
  EXPECT_EQ(run.result.err, "t.hxo:11: Failed to commit properties on object \"d1\".\n");
  EXPECT_EQ(run.result.code, 23);
  EXPECT_EQ(Agent1(run.site)["properties"]["POLL"], "2");
  EXPECT_EQ(Broker1(run.site)["autoconfig"]["properties"]["RANGE"], "r");
  EXPECT_EQ(LinesStartingWith(run.trace, "ExecuteCommand"), Lines{});
  // With CONTINUE ON the others are committed and told.
  run = RunOnSite(
      "SET CONTINUE ON\nSET VERBOSE ON\nac.SET RANGE r\nd1.SET TIMEOUT 1\n"
      "ALL.COMMIT\n",
      site);
  EXPECT_EQ(run.result.err, "t.hxo:12: Failed to commit properties on object \"d1\".\n");
  EXPECT_NE(run.result.out.find("Properties for all objects have been committed.\n"),
            std::string::npos);
  EXPECT_EQ(Journal(Broker1(run.site)["autoconfig"]), Lines{"reload"});
}

std::string NumberedLines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "log line " + std::to_string(i) + " of the agent\n";
  return text;
}
// Lines first to last of a log whose lines are 64 bytes long with their line end, so that 64 of
// them fill a piece of 4096 bytes exactly; with prompt, a --more-- after every fourth line.
std::string AlignedLines(int first, int last, bool prompt = false) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    std::string line = "line " + std::to_string(i) + " ";
    line.resize(63, '.');
    text += line + "\n" + (prompt && (i - first) % 4 == 3 ? "--more-- " : "");
  }
  return text;
}

TEST(Log, PiecesTailsAndPages) {
  const std::string site = Site([](json& s) {
    s["agents"][0]["logs"] = {AlignedLines(0, 199)};
    s["agents"][1]["logs"] = {NumberedLines(1, 400), "old one\r\nold two\r\n",
                              std::string(10000, 'z') + "\nafter\n"};
  });
  const std::string z(4096, 'z');
  ExpectRows(
      {
          {"SET LINES 0\na2.LOG\n", NumberedLines(1, 400), "", 0},
          {"a2.LOG 1\n", "old one\nold two\n", "", 0},
          // A line longer than a piece is shown in parts.
          {"SET LINES 0\na2.LOG 2\n",
           z + "\n" + z + "\n" + std::string(10000 - 8192, 'z') + "\nafter\n", "", 0},
          // A tail inside one piece skips the line cut at its start.
          {"a1.LOG -t 3\n", AlignedLines(197, 199), "", 0},
          // Reading back a piece at a time, the line at the piece where counting ended shows too.
          {"SET LINES 0\na1.LOG -t 100\n", AlignedLines(99, 199), "", 0},
          // Pieces that end inside a line: that line shows whole, and counts once.
          {"SET LINES 0\na2.LOG -t 300\n", NumberedLines(101, 400), "", 0},
          // Back on the page that opens the second piece reads the first piece again.
          {"SET LINES 5\na1.LOG\n", AlignedLines(0, 63, true) + AlignedLines(56, 59, true), "", 0,
           std::string(15, '\n') + "b\nq\n"},
      },
      site, kPreamble);
  // -f looks for new lines every DELAY seconds until q at a --more-- prompt.
  ExpectRows({{"SET LINES 3\nSET DELAY 1\na2.LOG -f\nPRINT done\n",
               "first\nfed 1\n--more-- fed 2\nfed 3\n--more-- done\n", "", 0, "\nq\n"}},
             Site([](json& s) {
               s["agents"][1]["logs"] = {"first\n"};
               s["agents"][1]["log_feed"] = {"fed 1", "fed 2", "fed 3"};
             }),
             kPreamble);
}

TEST(Run, CommandsAndReconfiguration) {
  // The arguments go as typed; a refused command is journaled too.
  SiteRun run = RunOnSite("SET CONTINUE ON\na1.RUN reload now  please\na1.EXEC launch\n");
  EXPECT_EQ(Journal(Agent1(run.site)), (Lines{"reload now  please", "launch"}));

  // A selection goes on after a failure with CONTINUE ON, and stops with CONTINUE OFF.
  std::string site = Site([](json& s) { s["agents"][1]["commands"] = {"reload"}; });
  run = RunOnSite("SET CONTINUE ON\nSET VERBOSE ON\nAGENT.RUN restart\nALL.RUN x\n", site);
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nCommand restart ran successfully for all "
            "Agentobjects.\nCommand x ran successfully for all allobjects.\n");
  EXPECT_EQ(run.result.err.rfind("t.hxo:10: Run of \"restart\" failed on object \"a2\".\n", 0), 0u);
  EXPECT_EQ(Journal(Agent1(run.site)).front(), "restart");
  run = RunOnSite("ALL.RUN x\n", site);
  EXPECT_EQ(run.result.err, "t.hxo:8: Run of \"x\" failed on object \"a1\".\n");
  EXPECT_EQ(Journal(run.site["agents"][1]), Lines{});

  // reconfig waits while the object reports itself busy, asking every 2 seconds.
  run = RunOnSite("SET VERBOSE ON\nac.RUN AutoConfig full\n", Site([](json& s) {
                    s["agents"][0]["brokers"][0]["autoconfig"]["reconfig"] = {{"polls", 1}};
                  }));
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nAutoconfig is running ..\n"
            "Command AutoConfig ran successfully for AutoConfig object ac.\n");
  EXPECT_EQ(Journal(Broker1(run.site)["autoconfig"]), Lines{"reconfig full"});
  ExpectRows(
      {{"ac.RUN RECONFIG\n", "", "t.hxo:8: Run of \"RECONFIG\" failed on object \"ac\".\n", 21}},
      Site([](json& s) {
        s["agents"][0]["brokers"][0]["autoconfig"]["reconfig"] = {{"polls", 0}, {"result", 3}};
      }),
      kPreamble);
}

}  // namespace
