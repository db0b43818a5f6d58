// obj.LOG and obj.RUN against an installation file, with prepared answers on standard input.
#include <gtest/gtest.h>

#include "base_site.h"

namespace {

std::string NumberedLines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "log line " + std::to_string(i) + " of the agent\n";
  return text;
}

// a2 keeps a current log of 400 lines (several pieces) and one backup log.
std::string LogSite() {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["logs"] = {NumberedLines(1, 400), "old one\r\nold two\r\n"};
  return site.dump();
}

class Log : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(Log, RunsScript) { ExpectSiteScript(LogSite(), GetParam(), kPreamble); }

const SiteScriptCase kCases[] = {
    {"ReservedObjectsAreRefused", "AGENT.LOG\n", "",
     "t.hxo:8: Subcommand LOG may not be used on reserved objects.\n", 17},
    {"SwitchFailures",
     "SET CONTINUE ON\na2.LOG -x\na2.LOG -t\na2.LOG -t 0\na2.LOG -t -3\na2.LOG 0\n", "",
     "t.hxo:9: Invalid switch used in LOG subcommand.\n"
     "t.hxo:10: The -t switch requires a parameter.\n"
     "t.hxo:11: The -t switch requires a number greater than 0 a a parameter.\n"
     "t.hxo:12: The -t switch requires a number greater than 0 a a parameter.\n"
     "t.hxo:13: Invalid backup log number 0.\n",
     7},
    {"MissingLogsCannotBeRetrieved", "SET CONTINUE ON\na1.LOG\na2.LOG 2\n", "",
     "t.hxo:9: Failed to retrieve log for object \"a1\".\n"
     "t.hxo:10: Failed to retrieve log for object \"a2\".\n",
     21},
    {"PlainLogOfManyPieces", "SET LINES 0\na2.LOG\n", NumberedLines(1, 400), "", 0},
    {"TailWithinOnePiece", "a2.LOG -t 3\n", NumberedLines(398, 400), "", 0},
    {"BackupLogWithCarriageReturns", "a2.LOG 1\n", "old one\nold two\n", "", 0},
    {"QuitAtTheFirstPrompt", "SET LINES 4\na2.LOG\nPRINT after\n",
     NumberedLines(1, 3) + "--more-- after\n", "", 0, "q\n"},
    {"BackShowsThePreviousPage", "SET LINES 4\na2.LOG -t 9\n",
     NumberedLines(392, 394) + "--more-- " + NumberedLines(395, 397) + "--more-- " +
         NumberedLines(392, 394) + "--more-- ",
     "", 0, "\nb\nq\n"},
    // A continue at the end looks again and finds nothing new.
    {"InteractiveEndsAtEofAndBackShowsTheLastLines", "SET LINES 4\na2.LOG -i -t 2\n",
     NumberedLines(399, 400) + "--EOF-- --EOF-- " + NumberedLines(396, 398) + "--more-- " +
         NumberedLines(399, 400) + "--EOF-- ",
     "", 0, "\nb\n\nq\n"},
};
INSTANTIATE_TEST_SUITE_P(Scripts, Log, testing::ValuesIn(kCases), SiteScriptTitle());

TEST(LogSite, APlainShortLogIsOneRequest) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["logs"] = {"short\n"};
  SiteRun run = RunOnSite(site.dump(), kPreamble + "a2.LOG\n");
  EXPECT_EQ(run.result.out, "short\n");
  const auto requests = TraceLines(run.trace, "GetNamedDataItem Agent");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find("log:0:0:4096"), std::string::npos);
}

TEST(LogSite, FollowShowsFedLinesUntilQuit) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["logs"] = {"first\n"};
  site["agents"][1]["log_feed"] = {"fed 1", "fed 2", "fed 3"};
  // Pages of two lines: first and fed 1, a one-second wait, fed 2, a wait, fed 3 and quit.
  SiteRun run = RunOnSite(site.dump(),
                               kPreamble + "SET LINES 3\nSET DELAY 1\na2.LOG -f\n"
                                                        "PRINT done\n",
                               "\nq\n");
  EXPECT_EQ(run.result.out, "first\nfed 1\n--more-- fed 2\nfed 3\n--more-- done\n");
  EXPECT_EQ(run.result.exitCode, 0);
}

// RUN: remote commands, and the reconfiguration wait (each poll is two real seconds).

TEST(Run, SendsCommandsAndReportsRefusals) {
  SiteRun run = RunOnSite(
      kBaseSite, kPreamble +
                     "SET CONTINUE ON\na1.RUN\nSET VERBOSE ON\na1.RUN reload now  please\n"
                     "a1.EXEC launch\nd1.run RELOAD\n");
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nCommand reload ran successfully for Agent object a1.\n"
            "Command RELOAD ran successfully for DSM object d1.\n");
  EXPECT_EQ(run.result.err,
            "t.hxo:9: Insufficient paramaters for RUN subcommand.\n"
            "t.hxo:12: Run of \"launch\" failed on object \"a1\".\n");
  EXPECT_EQ(Journal(run.site["agents"][0]),
            (std::vector<std::string>{"reload now  please", "launch"}));
}

TEST(Run, SelectionGoesOnAfterAFailureWithContinueOn) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["commands"] = {"reload"};
  const std::string script = kPreamble +
                             "SET CONTINUE ON\nSET VERBOSE ON\nAGENT.RUN restart\nALL.RUN x\n";
  SiteRun run = RunOnSite(site.dump(), script);
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nCommand restart ran successfully for all "
            "Agentobjects.\nCommand x ran successfully for all allobjects.\n");
  EXPECT_EQ(run.result.err.rfind("t.hxo:10: Run of \"restart\" failed on object \"a2\".\n", 0), 0u);
  EXPECT_EQ(Journal(run.site["agents"][0]).front(), "restart");

  SiteRun stopped = RunOnSite(site.dump(), kPreamble + "ALL.RUN x\n");
  EXPECT_EQ(stopped.result.err, "t.hxo:8: Run of \"x\" failed on object \"a1\".\n");
  EXPECT_TRUE(Journal(stopped.site["agents"][1]).empty());
}

TEST(Run, ReconfigurationThatSucceedsAfterPolling) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["autoconfig"]["reconfig"] = {{"polls", 1}, {"result", 0}};
  SiteRun run = RunOnSite(site.dump(), kPreamble +
                                                "SET VERBOSE ON\nac.RUN AutoConfig full\n");
  EXPECT_EQ(run.result.out,
            "VERBOSE has been set to ON.\nAutoconfig is running ..\n"
            "Command AutoConfig ran successfully for AutoConfig object ac.\n");
  EXPECT_EQ(Journal(run.site["agents"][0]["brokers"][0]["autoconfig"]),
            std::vector<std::string>{"reconfig full"});
  EXPECT_EQ(TraceLines(run.trace, "GetNamedDataItem AutoConfig").size(), 2u);
}

TEST(Run, ReconfigurationThatFails) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][0]["brokers"][0]["autoconfig"]["reconfig"] = {{"polls", 0}, {"result", 3}};
  SiteRun run = RunOnSite(site.dump(), kPreamble + "ac.RUN RECONFIG\n");
  EXPECT_EQ(run.result.out, "");
  EXPECT_EQ(run.result.err, "t.hxo:8: Run of \"RECONFIG\" failed on object \"ac\".\n");
  EXPECT_EQ(run.result.exitCode, 21);
}

}  // namespace
