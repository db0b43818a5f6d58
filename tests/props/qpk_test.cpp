// obj.QPK against an installation file: rows, inheritance, setting and its failures, paging.
#include <gtest/gtest.h>

#include <cstdio>

#include "base_site.h"

namespace {

std::string Row(int rule, const char* description, int value, bool inherited) {
  char text[160];
  std::snprintf(text, sizeof text, "%-4d %-65s = %c%2d%c\n", rule, description,
                inherited ? '[' : ' ', value, inherited ? ']' : ' ');
  return text;
}
std::string SelectionRow(const char* object, int rule, const char* description, int value,
                         bool inherited) {
  return std::string(object) + ": " + Row(rule, description, value, inherited);
}
const std::string kHeader =
    "RULE DESCRIPTION                                                         VALUE\n";

class Qpk : public testing::TestWithParam<SiteScriptCase> {};

TEST_P(Qpk, RunsScript) { ExpectSiteScript(kBaseSite, GetParam(), kPreamble); }

const SiteScriptCase kCases[] = {
    {"ListsEveryRuleWithMarkers", "t1.QPK\n",
     kHeader + Row(12, "Interface down", 5, true) + Row(40, "CPU load high", 10, true) +
         Row(60, "BGP session down", 10, true),
     "", 0},
    {"OwnValueThenInheritedBelow", "a1.QPK 12 7\na1.QPK 12\nd1.QPK 12\n",
     kHeader + Row(12, "Interface down", 7, false) + kHeader +
         Row(12, "Interface down", 7, true),
     "", 0},
    {"MinusOneRemovesOnce", "a1.QPK 12 -1\na1.QPK 12\na1.QPK 12 -1\n",
     kHeader + Row(12, "Interface down", 10, true),
     "t.hxo:10: Failed to set 12 rule value on object \"a1\".\n", 22},
    {"ValuesOutOfRange",
     "SET CONTINUE ON\na1.QPK 12 11\na1.QPK 12 -2\na1.QPK 12 0\na1.QPK 40 10\n", "",
     "t.hxo:9: Failed to set 12 rule value on object \"a1\".\n"
     "t.hxo:10: Failed to set 12 rule value on object \"a1\".\n",
     0},
    {"AWordIsZeroAndShownAsTyped", "SET VERBOSE ON\na1.QPK 12 DEFAULT\na1.QPK 12\n",
     "VERBOSE has been set to ON.\n"
     "Rule value of 12 for Agent object a1 has been set to DEFAULT.\n" +
         kHeader + Row(12, "Interface down", 0, false),
     "", 0},
    {"UnknownRuleNamedAsTyped", "SET CONTINUE ON\na1.QPK 999 5\na1.QPK 0999x\n", "",
     "t.hxo:9: Could not obtain rule descriptions or rule \"999\" does not exist for object "
     "\"a1\".\n"
     "t.hxo:10: Could not obtain rule descriptions or rule \"0999x\" does not exist for object "
     "\"a1\".\n",
     20},
    {"SelectionNeedsARule", "ALL.QPK\n", "",
     "t.hxo:8: Insufficient paramaters for QPK subcommand on reserved object.\n", 7},
    {"SelectionSetsAndLists", "SET VERBOSE ON\nTARGET.QPK 40 3\nt2.QPK 40 -1\nTARGET.QPK 40\n",
     "VERBOSE has been set to ON.\nRule value of 40 for Target objects has been set to 3.\n"
     "Rule value of 40 for Target object t2 has been set to -1.\n" +
         kHeader + SelectionRow("t1", 40, "CPU load high", 3, false) +
         SelectionRow("t2", 40, "CPU load high", 10, true),
     "", 0},
    {"SelectionSetStopsAtFailureWithContinueOff", "ALL.QPK 12 12\n", "",
     "t.hxo:8: Failed to set 12 rule value on object \"a1\".\n", 22},
};
INSTANTIATE_TEST_SUITE_P(Scripts, Qpk, testing::ValuesIn(kCases),
                         SiteScriptTitle());

TEST(QpkSite, ObjectWithoutPropertiesFailsToShowButNotToList) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["agents"][1]["fail"] = {"GetProperties"};
  SiteRun run = RunOnSite(site.dump(), kPreamble +
                                                "SET CONTINUE ON\na2.QPK\na2.QPK 12\na2.QPK 12 1\n");
  EXPECT_EQ(run.result.out, kHeader);
  EXPECT_EQ(run.result.err,
            "t.hxo:10: Could not obtain rule descriptions or rule \"12\" does not exist for "
            "object \"a2\".\n"
            "t.hxo:11: Failed to set 12 rule value on object \"a2\".\n");
}

TEST(QpkSite, NoRuleListMeansNoRule) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site.erase("rules");
  SiteRun run = RunOnSite(site.dump(), kPreamble + "SET CONTINUE ON\n"
                                                                     "a1.QPK\na1.QPK 12 1\n");
  EXPECT_EQ(run.result.out, kHeader);
  EXPECT_EQ(run.result.err,
            "t.hxo:10: Could not obtain rule descriptions or rule \"12\" does not exist for "
            "object \"a1\".\n");
}

TEST(QpkSite, TheRuleListIsAskedForOncePerBranch) {
  SiteRun run = RunOnSite(kBaseSite, kPreamble +
                                              "t1.QPK\nt2.QPK\nd1.QPK 12\nb1.QPK 40 1\n");
  const auto requests = TraceLines(run.trace, "GetNamedDataItem");
  int ruleLists = 0;
  for (const std::string& line : requests) ruleLists += line.find("rulelist") != std::string::npos;
  EXPECT_EQ(ruleLists, 1);
}

TEST(QpkSite, ListingPagesBackToTheHeader) {
  nlohmann::json site = nlohmann::json::parse(kBaseSite);
  site["rules"] = nlohmann::json::array();
  std::vector<std::string> rows;
  for (int rule = 1; rule <= 12; ++rule) {
    const std::string description = "Rule " + std::to_string(rule);
    site["rules"].push_back({{"number", rule}, {"description", description}});
    rows.push_back(Row(rule, description.c_str(), 10, true));
  }
  auto lines = [&](int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += i == 1 ? kHeader : rows[i - 2];
    return text;
  };
  // Four lines a page: header and rules 1-3, rules 4-7, 8-11; back at the third prompt shows
  // the second page again, back at the first starts again.
  SiteRun run = RunOnSite(site.dump(), kPreamble + "SET LINES 5\na2.QPK\n",
                               "b\n\n\nb\nq\n");
  const std::string more = "--more-- ";
  EXPECT_EQ(run.result.out, lines(1, 4) + more + lines(1, 4) + more + lines(5, 8) + more +
                                lines(9, 12) + more + lines(5, 8) + more);
}

}  // namespace
