// The two texts the installation hands over for rules: rule values ("qpk_own",
// "qpk_inherited") and the rule list.
#include <gtest/gtest.h>

#include "props/rule_list.h"
#include "props/rule_value_text.h"

namespace {

struct ReadCase {
  const char* text;
  RuleValues expected;
};

TEST(RuleValueText, ReadsPairsTheWayTheInstallationWritesAndMisspellsThem) {
  const ReadCase cases[] = {
      {"", {}},
      {"3 7 12 0", {{3, 7}, {12, 0}}},
      {"5 3 9", {{5, 3}}},                 // a lone last token is ignored
      {"7 1 7 4", {{7, 4}}},               // a later pair replaces an earlier one
      {"x 2", {{0, 2}}},                   // a word converts to 0
      {"12 DEFAULT", {{12, 0}}},
      {"  3\t\t7 \n12   0\n", {{3, 7}, {12, 0}}},  // runs of separators count as one
      {"-4 -1 +6 8", {{-4, -1}, {6, 8}}},
      {"3x 7y", {{3, 7}}},                 // leading digits only
      {"99999999999 1", {{2147483647, 1}}},  // clamped, never undefined
  };
  for (const ReadCase& c : cases) {
    RuleValues values;
    ReadRuleValueText(c.text, values);
    EXPECT_EQ(values, c.expected) << "text: \"" << c.text << "\"";
  }
}

TEST(RuleValueText, ReadingAddsToWhatIsThere) {
  RuleValues values{{1, 1}, {2, 2}};
  ReadRuleValueText("2 9", values);
  EXPECT_EQ(values, (RuleValues{{1, 1}, {2, 9}}));
}

TEST(RuleValueText, WritesAscendingPairsWithSingleBlanks) {
  EXPECT_EQ(WriteRuleValueText({}), "");
  EXPECT_EQ(WriteRuleValueText({{12, 0}, {3, 7}}), "3 7 12 0");
  EXPECT_EQ(WriteRuleValueText({{-5, -1}}), "-5 -1");
  RuleValues back;
  ReadRuleValueText(WriteRuleValueText({{1, 10}, {40, 3}}), back);
  EXPECT_EQ(back, (RuleValues{{1, 10}, {40, 3}}));
}

struct ListCase {
  const char* text;
  RuleDescriptions expected;
};

TEST(RuleList, TakesNumberAndEnclosedDescriptionPerLine) {
  const ListCase cases[] = {
      {"", {}},
      {"12 \"Alpha\"\n", {{12, "Alpha"}}},
      {"12\t\"Alpha\"\n3 \"Beta gamma\"\n", {{3, "Beta gamma"}, {12, "Alpha"}}},
      {"12 \"Alpha\"", {{12, "Alpha"}}},                  // no line end after the last
      {"12 \"Alpha\"\r\n", {{12, "Alpha\""}}},            // the carriage return goes instead
      {"12 \"Old\"\n12 \"New\"\n", {{12, "New"}}},
      {"7 x\n", {{7, ""}}},                               // one character: empty description
      {"\n\n  5 'Quoted'\n", {{0, "5 'Quoted"}}},       // line feeds do not end a number
      {"12", {}},                                         // a number without description
      {"abc \"Word\"\n", {{0, "Word"}}},
      {"4  \"Two blanks\"\n", {{4, "\"Two blanks"}}},     // only one delimiter ends the number
  };
  for (const ListCase& c : cases) {
    RuleDescriptions descriptions;
    ParseRuleList(c.text, descriptions);
    EXPECT_EQ(descriptions, c.expected) << "text: \"" << c.text << "\"";
  }
}

}  // namespace
