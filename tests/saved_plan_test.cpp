// Saved plans and --apply: a plan applies only while the installation and the scripts are as the
// plan recorded them, writes nothing otherwise, and is applied once.
#include <nlohmann/json.hpp>

#include "hxo/hxo.h"
#include "orbitane/orbitaneapi.h"
#include "support.h"

namespace {

const char kDeploy[] =
    "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SPAWN hqbroker BROKER\nhqbroker.SPAWN core dsm1\n"
    "core.SPAWN router 10.2.0.4\nrouter.SET POLL_INTERVAL 30\ncore.QPK 40 3\nINCLUDE inc.hxo\n"
    "ALL.COMMIT\n";
const char kIncluded[] = "hq.SET POLL_INTERVAL 30\n";
// What a second process starts with to change the installation between plan and apply.
const char kSecondProcess[] =
    "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SPAWN hqbroker BROKER\nhqbroker.SPAWN core dsm1\n";

// A folder with the built-in installation as site.json, the deploy script and its plan.
struct Planned {
  Folder folder;
  std::string dir;
  Planned() {
    folder.Write("site.json", ReadSite());
    folder.Write("deploy.hxo", kDeploy);
    folder.Write("inc.hxo", kIncluded);
    dir = std::filesystem::canonical(folder.path).string();
    const Result plan = folder.Program("--sim site.json --plan p.json deploy.hxo");
    EXPECT_EQ(plan.code, 0) << plan.err;
  }
  static std::string ReadSite() {
    std::stringstream text;
    text << std::ifstream(HXO_SOURCE_DIR "/examples/site.json").rdbuf();
    return text.str();
  }
  // Runs commands after kSecondProcess against the installation, as another process would.
  void Change(const std::string& commands) const {
    folder.Write("second.hxo", kSecondProcess + commands);
    const Result result = folder.Program("--sim site.json second.hxo");
    EXPECT_EQ(result.code, 0) << result.err;
  }
};

TEST(SavedPlan, ThePlanRecordsWhatItWasMadeFrom) {
  Planned planned;
  const auto plan = nlohmann::json::parse(planned.folder.Read("p.json"));
  const auto& madeFrom = plan["made_from"];
  EXPECT_EQ(madeFrom["script"], planned.dir + "/deploy.hxo");
  EXPECT_EQ(madeFrom["installation"], planned.dir + "/site.json");
  ASSERT_EQ(madeFrom["scripts"].size(), 2u);
  EXPECT_EQ(madeFrom["scripts"][1]["path"], planned.dir + "/inc.hxo");
  // sha256sum of "hq.SET POLL_INTERVAL 30\n"
  EXPECT_EQ(madeFrom["scripts"][1]["sha256"],
            "4a78cc63a60a82fb1f9c45d7dee1778f26048145035ef71cee3776ce88187eed");
  // Each node names its parent's record by its place in the list, the object that names it by
  // [5], and the first record is the installation itself.
  const auto& nodes = madeFrom["nodes"];
  ASSERT_GE(nodes.size(), 5u);
  EXPECT_EQ(nodes[0][0], -1);
  std::map<std::string, std::string> paths;  // named node -> its path
  for (size_t i = 1; i < nodes.size(); ++i) {
    ASSERT_LT(nodes[i][0].get<int64_t>(), static_cast<int64_t>(i));
    std::string path = nodes[i][1];
    for (int64_t up = nodes[i][0]; up > 0; up = nodes[up][0])
      path = std::string(nodes[up][1]) + " / " + path;
    if (nodes[i].size() == 7 && nodes[i][5].is_string()) paths[nodes[i][5]] = path;
  }
  EXPECT_EQ(paths["router"],
            "Agent 127.0.0.1:5465 / Broker 127.0.0.1:5465 / DSM dsm1 / Target 10.2.0.4@public");
  EXPECT_EQ(paths["core"], "Agent 127.0.0.1:5465 / Broker 127.0.0.1:5465 / DSM dsm1");
  EXPECT_EQ(madeFrom["added"], nlohmann::json::array());  // SPAWN finds, it adds nothing
  // The record's length after it, by which --apply finds it from the end of the file.
  const std::string text = planned.folder.Read("p.json");
  const size_t length = plan["made_from_bytes"], end = text.find(",\n\"made_from_bytes\": ");
  ASSERT_GE(end, length);
  EXPECT_EQ(nlohmann::json::parse(text.substr(end - length, length)), madeFrom);
}

// A plan as this program writes it is read at its two ends, any other whole: each applies alike,
// with the end of its run (here the planned run stopped at line 4) read from the plan.
TEST(SavedPlan, APlanIsReadAtItsEndsOrWhole) {
  const std::pair<std::string, std::string> edits[] = {
      {"", ""},                                                 // as written
      {"\"changes\": [", "\"changes\": [  "},                   // the changes spaced out: not read
      {"\"made_from_bytes\": ", "\"made_from_bytes\": 1"},      // a wrong length: read whole
      {",\n\"made_from_bytes\": ", ", \"other\": 0, \"x\": "},  // laid out otherwise
  };
  for (const auto& [from, to] : edits) {
    SCOPED_TRACE(to);
    Folder folder;
    folder.Write("site.json", Planned::ReadSite());
    folder.Write("s.hxo",
                 "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SET POLL_INTERVAL 30\n"
                 "hq.SET NOSUCH 1\nhq.COMMIT\n");
    ASSERT_EQ(folder.Program("--sim site.json --plan p.json s.hxo").code, 19);
    std::string plan = folder.Read("p.json");
    if (!from.empty()) plan.replace(plan.find(from), from.size(), to);
    folder.Write("p.json", plan);
    const Result result = folder.Program("--read-only --apply p.json");
    EXPECT_EQ(result.code, 19);
    EXPECT_EQ(result.err.find("differed"), std::string::npos) << result.err;
  }
}

// Each kind of change made between plan and apply: --apply refuses, names it, and leaves the
// installation's bytes and the plan as they were.
TEST(SavedPlan, DriftSinceThePlanIsRefusedAndNamed) {
  struct DriftRow {
    const char* name;
    std::string commands;  // run by a second process; empty: the edit below instead
    std::string file, edit;
    std::string err;
  };
  const DriftRow rows[] = {
      {"property", "hq.SET POLL_INTERVAL 45\nhq.COMMIT\n", "", "",
       "~ hq: POLL_INTERVAL \"60\" -> \"45\" since the plan\n"},
      {"rule value", "core.QPK 12 9\nSET QUIET ON\ncore.COMMIT\n", "", "",
       "~ core: inherited rule 12: (unset) -> 5 since the plan\n"  // COMMIT writes these too
       "~ core: inherited rule 30: (unset) -> 3 since the plan\n"
       "~ core: inherited rule 40: (unset) -> 7 since the plan\n"
       "~ core: rule 12: 8 -> 9 since the plan\n"},
      {"entry added", "core.ADD lab 10.2.7.7\n", "", "",
       "+ core: Target 10.2.7.7@public added since the plan\n"},
      {"entry removed", "core.SPAWN sw 10.2.0.2\ncore.DEL sw\n", "", "",
       "- core: Target 10.2.0.2@public removed since the plan\n"},
      {"entry read removed", "core.SPAWN router 10.2.0.4\ncore.DEL router\n", "", "",
       "- core: Target 10.2.0.4@public removed since the plan\n"
       "- router: gone since the plan\n"},
      {"script edited", "", "deploy.hxo", "PRINT more\n",
       "~ DIR/deploy.hxo: the script changed since the plan\n"},
      {"included script edited", "", "inc.hxo", "hq.SET POLL_INTERVAL 31\n",
       "~ DIR/inc.hxo: the script changed since the plan\n"},
  };
  for (const DriftRow& row : rows) {
    SCOPED_TRACE(row.name);
    Planned planned;
    if (!row.commands.empty()) planned.Change(row.commands);
    if (!row.file.empty()) planned.folder.Write(row.file, row.edit);
    const std::string site = planned.folder.Read("site.json");
    const std::string plan = planned.folder.Read("p.json");
    const Result result = planned.folder.Program("--apply p.json");
    std::string err = row.err;
    if (size_t dir = err.find("DIR"); dir != std::string::npos) err.replace(dir, 3, planned.dir);
    EXPECT_EQ(result.err, "hxo_cmdline: nothing was run: p.json no longer holds:\n" + err);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.code, 75);
    EXPECT_EQ(planned.folder.Read("site.json"), site);
    EXPECT_EQ(planned.folder.Read("p.json"), plan);
  }
}

TEST(SavedPlan, AnUntouchedInstallationAppliesAsPlannedOnce) {
  Planned planned;
  const std::string plan = planned.folder.Read("p.json");
  planned.folder.Write("copy.json", plan);
  const Result applied = planned.folder.Program("--apply p.json");
  EXPECT_EQ(applied.err, "");
  EXPECT_EQ(applied.code, 0);
  // The real run made what the dry run planned: a second dry run of the same script from the
  // applied installation shows those values already in place.
  const auto site = nlohmann::json::parse(planned.folder.Read("site.json"));
  EXPECT_EQ(site["agents"][0]["properties"]["POLL_INTERVAL"], "30");
  EXPECT_NE(planned.folder.Read("p.json").find("\n\"applied\": \"20"), std::string::npos);

  // Applied twice: refused by the mark on the plan, and a copy of the plan by the fingerprints.
  const std::string after = planned.folder.Read("site.json");
  const Result again = planned.folder.Program("--apply p.json");
  EXPECT_EQ(again.code, 75);
  EXPECT_NE(again.err.find("nothing was run: the plan p.json was applied at 20"), std::string::npos)
      << again.err;
  const Result copy = planned.folder.Program("--apply copy.json");
  EXPECT_EQ(copy.code, 75);
  EXPECT_NE(copy.err.find("~ hq: POLL_INTERVAL \"60\" -> \"30\" since the plan\n"),
            std::string::npos)
      << copy.err;
  EXPECT_EQ(planned.folder.Read("site.json"), after);
}

// The comparison after the run catches a run that did not do what was planned: here the
// installation file is replaced under the run (after the checks), so its COMMIT is refused.
TEST(SavedPlan, ARunThatDiffersFromThePlanFails) {
  Folder folder;
  folder.Write("site.json", Planned::ReadSite());
  folder.Write("s.hxo",
               "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SET POLL_INTERVAL 30\n"
               "EXEC [ ! -e armed ] || { cp site.json x && mv x site.json; }\nhq.COMMIT\n");
  ASSERT_EQ(folder.Program("--sim site.json --plan p.json s.hxo").code, 0);
  folder.Write("armed", "");
  const Result result = folder.Program("--apply p.json");
  EXPECT_EQ(result.code, 70);
  const std::string report =
      "hxo_cmdline: the run differed from the plan p.json:\n"
      "  planned, not made: {\"command\":\"reload\",\"op\":\"command\",\"path\":[\"Agent "
      "127.0.0.1:5465\"]}\n"
      "  planned, not made: {\"name\":\"POLL_INTERVAL\",\"new\":\"30\",\"old\":\"60\",\"op\":"
      "\"set\",\"path\":[\"Agent 127.0.0.1:5465\"]}\n"
      "  this run stopped early, the planned one did not\n";
  ASSERT_GE(result.err.size(), report.size());
  EXPECT_EQ(result.err.substr(result.err.size() - report.size()), report);
}

// The installation tells at once when the run left what the planned run left. Here an INCLUDEd
// file is rewritten by the run itself (after the checks), so that the run differs from the plan in
// one way each: every way must fail the comparison, and each is named.
TEST(SavedPlan, EachWayARunDiffersIsFound) {
  struct DifferenceRow {
    const char* name;
    std::string planned, applied;  // what the INCLUDEd file holds when planned, when applied
    std::string report;
  };
  const std::string target =
      "\"path\":[\"Agent 127.0.0.1:5465\",\"Broker 127.0.0.1:5465\","
      "\"DSM dsm1\"";
  const DifferenceRow rows[] = {
      {"property value", "hq.SET POLL_INTERVAL 30\nhq.COMMIT\n",
       "hq.SET POLL_INTERVAL 31\nhq.COMMIT\n",
       "  planned, not made: {\"name\":\"POLL_INTERVAL\",\"new\":\"30\",\"old\":\"60\",\"op\":"
       "\"set\",\"path\":[\"Agent 127.0.0.1:5465\"]}\n"
       "  made, not planned: {\"name\":\"POLL_INTERVAL\",\"new\":\"31\",\"old\":\"60\",\"op\":"
       "\"set\",\"path\":[\"Agent 127.0.0.1:5465\"]}\n"},
      {"command sent", "core.RUN reload\n", "core.RUN restart\n",
       "  planned, not made: {\"command\":\"reload\",\"op\":\"command\"," + target +
           "]}\n"
           "  made, not planned: {\"command\":\"restart\",\"op\":\"command\"," +
           target + "]}\n"},
      {"password", "core.PASSWORD n3w\n", "PRINT no password\n",
       "  planned, not made: {\"op\":\"password\"," + target + "]}\n"},
      {"entry added", "core.ADD lab 10.2.7.7\n", "core.ADD lab 10.2.7.8\n",
       "  planned, not made: {\"op\":\"add\"," + target +
           ",\"Target 10.2.7.7@public\"]}\n"
           "  made, not planned: {\"op\":\"add\"," +
           target + ",\"Target 10.2.7.8@public\"]}\n"},
      // Only what the planned run read is fingerprinted: a node read only by this run is found
      // by that alone.
      {"a node the plan never read", "PRINT nothing\n",
       "hqbroker.SPAWN other dsm2\nother.RUN reload\n",
       "  made, not planned: {\"command\":\"reload\",\"op\":\"command\",\"path\":[\"Agent "
       "127.0.0.1:5465\",\"Broker 127.0.0.1:5465\",\"DSM dsm2\"]}\n"},
      {"what an added entry holds", "core.ADD lab 10.2.7.7\nlab.QPK 12 5\nlab.COMMIT\n",
       "core.ADD lab 10.2.7.7\nlab.QPK 12 6\nlab.COMMIT\n",
       "  planned, not made: {\"inherited\":false,\"new\":\"5\",\"op\":\"rule\"," + target +
           ",\"Target 10.2.7.7@public\"],\"rule\":12}\n"
           "  made, not planned: {\"inherited\":false,\"new\":\"6\",\"op\":\"rule\"," +
           target + ",\"Target 10.2.7.7@public\"],\"rule\":12}\n"},
  };
  for (const DifferenceRow& row : rows) {
    SCOPED_TRACE(row.name);
    Folder folder;
    folder.Write("site.json", Planned::ReadSite());
    folder.Write("inc.hxo", row.planned);
    folder.Write("applied.hxo", row.applied);
    folder.Write("s.hxo",
                 "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SPAWN hqbroker BROKER\n"
                 "hqbroker.SPAWN core dsm1\nEXEC [ ! -e armed ] || cp applied.hxo inc.hxo\n"
                 "INCLUDE inc.hxo\n");
    ASSERT_EQ(folder.Program("--sim site.json --plan p.json s.hxo").code, 0);
    folder.Write("armed", "");
    const Result result = folder.Program("--read-only --apply p.json");
    EXPECT_EQ(result.code, 70);
    EXPECT_EQ(result.err, "hxo_cmdline: the run differed from the plan p.json:\n" + row.report);
  }
}

TEST(SavedPlan, WhatCannotBeApplied) {
  const ShellRow rows[] = {
      {"no value", "$HXO --apply", "", "",
       "hxo_cmdline: missing value after --apply\nTry 'hxo_cmdline --help'.\n", 64},
      {"with a script", "echo > s.hxo; $HXO --apply p.json s.hxo", "", "",
       "hxo_cmdline: --apply runs the plan's own script: give no script, -c, --dry-run or "
       "--plan\nTry 'hxo_cmdline --help'.\n",
       64},
      {"a text plan", "echo PRINT x > s.hxo; $HXO --plan p.txt s.hxo; $HXO --apply p.txt", "",
       "x\n", "hxo_cmdline: p.txt is not a saved plan: write one with --plan FILE.json SCRIPT\n",
       65},
      {"made from -c", "$HXO -c 'PRINT x' --plan p.json; $HXO --apply p.json", "", "x\n",
       "hxo_cmdline: the plan p.json was not made from a script file, so it cannot be applied: "
       "save the commands in a file and plan it\n",
       65},
      {"another installation",
       "cp $SITE a.json; cp $SITE b.json; echo PRINT x > s.hxo; $HXO --sim a.json --plan p.json "
       "s.hxo; $HXO --sim b.json --apply p.json 2>&1 | sed \"s|$PWD/||g\"",
       "", "x\nhxo_cmdline: nothing was run: the plan p.json was made on a.json, not on b.json\n",
       "", 75},
      {"missing", "$HXO --apply none.json", "", "",
       "hxo_cmdline: cannot read the plan none.json: No such file or directory\n", 66},
      {"an earlier version's plan",
       "echo 'AUTH KORAS root' > s.hxo; $HXO --plan p.json s.hxo; sed -i '/^\"format\": 2,$/d' "
       "p.json; $HXO --apply p.json",
       "", "",
       "hxo_cmdline: the plan p.json was saved by an earlier version of hxo_cmdline, whose record "
       "this one does not read: make a new plan\n",
       65},
      {"a fingerprint that is not one",
       "echo 'AUTH KORAS root' > s.hxo; $HXO --plan p.json s.hxo; sed -i "
       "'s/, \"[0-9a-f]\\{32\\}\", \\[/, \"x\", [/' p.json; $HXO --apply p.json",
       "", "", "hxo_cmdline: p.json is not a saved plan: its record cannot be read\n", 65},
      {"a record's length and nothing before it",
       "printf ',\\n\"made_from_bytes\": 5}' > p.json; $HXO --apply p.json", "", "",
       "hxo_cmdline: p.json is not a saved plan: write one with --plan FILE.json SCRIPT\n", 65},
      {"a record cut short",
       "echo 'AUTH KORAS root' > s.hxo; $HXO --plan p.json s.hxo; head -c $(($(wc -c < p.json) / "
       "2)) "
       "p.json > q.json; "
       "$HXO --apply q.json",
       "", "", "hxo_cmdline: q.json is not a saved plan: write one with --plan FILE.json SCRIPT\n",
       65},
  };
  ExpectShellRows(rows);
}

// --read-only with --apply checks the plan and runs it in memory: nothing is written, and the
// plan stays unapplied.
TEST(SavedPlan, ReadOnlyApplyWritesNothing) {
  Planned planned;
  const std::string site = planned.folder.Read("site.json");
  const std::string plan = planned.folder.Read("p.json");
  const Result result = planned.folder.Program("--read-only --apply p.json");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(planned.folder.Read("site.json"), site);
  EXPECT_EQ(planned.folder.Read("p.json"), plan);
}

// The record read where it lies in a larger text: exactly length bytes of it, whatever follows,
// with the same answer as the NUL-ended record gives.
TEST(SavedPlan, ARecordIsCheckedInPlaceByItsLength) {
  Planned planned;
  const std::string record =
      nlohmann::json::parse(planned.folder.Read("p.json"))["made_from"].dump();
  setenv("ORBITANE_SIM", (planned.dir + "/site.json").c_str(), 1);
  unsetenv("ORBITANE_SIM_READONLY");
  ASSERT_EQ(HXO_OpenInstallation(nullptr), 0);
  char* whole = nullptr;
  ASSERT_EQ(HXO_CheckPlanRecord(record.c_str(), &whole), 0);
  struct Row {
    const char* name;
    std::string after;  // what follows the record in the buffer, then the padding
    size_t cut;         // bytes of the record left out of length
    int differences;
  };
  const Row rows[] = {
      {"followed by the rest of a plan", ",\n\"applied\": \"now\"}", 0, 0},
      {"followed by what would make it invalid", "]]] not JSON", 0, 0},
      {"its end not within length", "}", 1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string buffer = record + row.after + std::string(HXO_RECORD_PADDING, 'x');
    char* report = nullptr;
    EXPECT_EQ(HXO_CheckPlanRecordInPlace(buffer.data(), record.size() - row.cut, &report),
              row.differences);
    if (row.differences == 0) {
      EXPECT_STREQ(report, whole);
    }
    std::free(report);
  }
  std::free(whole);
  destroyAPI();
}

}  // namespace
