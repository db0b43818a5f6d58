// Where a dry run's plan goes: standard output (one JSON document with --dry-run=json, the
// script's own output then on standard error), or the file --plan names, in the format its name
// or --dry-run asks for.
#include <nlohmann/json.hpp>

#include "support.h"

namespace {

const char kScript[] =
    "AUTH KORAS root\nAGENT hq 127.0.0.1\nhq.SET POLL_INTERVAL 30\nhq.LIST\nhq.COMMIT\n"
    "PRINT done\n";
const char kTextPlan[] = "Agent 127.0.0.1:5465\n  ~ POLL_INTERVAL: \"60\" -> \"30\"\n  > reload\n";

TEST(PlanFile, StandardOutputHoldsTheJsonPlanAlone) {
  Folder folder;
  folder.Write("s.hxo", kScript);
  const Result result = folder.Program("--dry-run=json s.hxo");
  EXPECT_EQ(result.code, 0);
  const auto plan = nlohmann::json::parse(result.out);  // throws when anything else is there
  EXPECT_EQ(plan["changes"].size(), 2u);
  EXPECT_NE(result.err.find("done\n"), std::string::npos);
  EXPECT_NE(result.err.find("BROKER List for \"hq\":\n"), std::string::npos);
}

TEST(PlanFile, PlanFileLeavesStandardOutputToTheScript) {
  struct PlanRow {
    std::string options, file;
    bool json;
  };
  const PlanRow rows[] = {
      {"--plan p.json", "p.json", true},
      {"--plan=p.txt", "p.txt", false},
      {"--dry-run=json --plan p.txt", "p.txt", true},
      {"--dry-run --plan p.plan", "p.plan", false},
  };
  for (const PlanRow& row : rows) {
    Folder folder;
    folder.Write("s.hxo", kScript);
    const Result result = folder.Program(row.options + " s.hxo");
    EXPECT_EQ(result.code, 0) << row.options;
    EXPECT_EQ(result.out.substr(result.out.size() - 5), "done\n") << row.options;
    const std::string plan = folder.Read(row.file);
    if (row.json) {
      EXPECT_EQ(nlohmann::json::parse(plan)["changes"][0]["new"], "30") << row.options;
    } else {
      EXPECT_EQ(plan, kTextPlan) << row.options;
    }
  }
}

// A plan says whether the script went to its end: a failure that stopped it is named (the
// included script's own line when it was there); CONTINUE, QUIT and a last line that failed under
// CONTINUE are ends the script chose.
TEST(PlanFile, APlanSaysWhereTheScriptStopped) {
  struct StopRow {
    std::string script, textEnd, json;
  };
  const std::string preamble = "AUTH KORAS root\nAGENT hq 127.0.0.1\n";
  const StopRow rows[] = {
      {"hq.SET NOSUCH 1\nPRINT after\n",
       "The script stopped at s.hxo:3 with code 19; the plan covers what ran before.\n",
       R"({"complete": false, "stopped": {"code":19,"command":"hq.SET NOSUCH 1","line":3,)"
       R"("script":"s.hxo"}, "format": 1, "changes": []})"},
      {"INCLUDE inc.hxo\nPRINT after\n",
       "The script stopped at inc.hxo:1 with code 19; the plan covers what ran before.\n",
       R"({"complete": false, "stopped": {"code":19,"command":"hq.SET NOSUCH 2","line":1,)"
       R"("script":"inc.hxo"}, "format": 1, "changes": []})"},
      {"SET CONTINUE ON\nhq.SET NOSUCH 1\nPRINT after\n", "No changes.\n",
       R"({"complete": true, "format": 1, "changes": []})"},
      {"QUIT\nPRINT after\n", "No changes.\n", R"({"complete": true, "format": 1, "changes": []})"},
  };
  for (const StopRow& row : rows) {
    Folder folder;
    folder.Write("s.hxo", preamble + row.script);
    folder.Write("inc.hxo", "hq.SET NOSUCH 2\n");
    folder.Program("--plan p.txt s.hxo");
    const std::string text = folder.Read("p.txt");
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), row.textEnd.size())), row.textEnd)
        << row.script;
    folder.Program("--plan p.json s.hxo");
    std::string json = folder.Read("p.json");  // what it was made from aside (saved_plan_test)
    const size_t record = json.find(",\n\"made_from\": ");
    if (record != std::string::npos) json.erase(record, json.rfind('}') - record);
    EXPECT_EQ(json, row.json + "\n") << row.script;
  }
}

TEST(PlanFile, AnUnwritablePlanFileFailsTheRun) {
  Folder folder;
  folder.Write("s.hxo", kScript);
  Result result = folder.Program("--plan no/such/p.json s.hxo");
  EXPECT_EQ(result.code, 73);
  EXPECT_EQ(result.err,
            "hxo_cmdline: cannot write the plan to no/such/p.json: No such file or "
            "directory\n");
  EXPECT_EQ(folder.Program("--plan").code, 64);
  EXPECT_EQ(folder.Program("--plan= s.hxo").code, 64);
}

}  // namespace
