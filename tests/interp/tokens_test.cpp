#include "objects/object_kind.h"
#include "runtime/tokens.h"

#include <gtest/gtest.h>

#include <climits>

#include "runtime/case_insensitive.h"
#include "runtime/c_number.h"

namespace {

TEST(Tokens, CountsRunsOfNonDelimiters) {
  struct Case {
    const char* line;
    unsigned count;
  };
  const Case cases[] = {
      {"", 0},           {"   \t\r\n", 0},         {"QUIT", 1},
      {"QUIT\n", 1},     {"  SET   LINES\t 40 \r\n", 3}, {"a\tb\rc\nd", 4},
      {"#comment x", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(tokenCount(c.line), c.count) << c.line;
}

TEST(Tokens, GetTokenNumbersFromOneAndIsEmptyOutOfRange) {
  const char* line = "  SET   LINES\t 40 \r\n";
  EXPECT_EQ(getToken(1, line), "SET");
  EXPECT_EQ(getToken(2, line), "LINES");
  EXPECT_EQ(getToken(3, line), "40");
  EXPECT_EQ(getToken(4, line), "");
  EXPECT_EQ(getToken(0, line), "");
  EXPECT_EQ(getToken(1, "   \n"), "");
  EXPECT_EQ(getToken(2, "a b"), "b");  // last token runs to the end of the line
}

TEST(Tokens, RestOfLineKeepsInnerSpacingAndDropsTrailingDelimiters) {
  EXPECT_EQ(restOfLine(2, "PRINT  a   b  \n"), "a   b");
  EXPECT_EQ(restOfLine(3, "  SET   LINES\t 40 \r\n"), "40");
  EXPECT_EQ(restOfLine(4, "AUTH s u pass word  \n"), "pass word");
  EXPECT_EQ(restOfLine(3, "SET LINES"), "");
  EXPECT_EQ(restOfLine(0, "  lead and trail \t\n"), "  lead and trail");
  EXPECT_EQ(restOfLine(0, " \n"), "");
}

TEST(Tokens, ReservedObjectNamesIgnoreCase) {
  for (const char* name : {"ALL", "all", "Agent", "DSM", "target", "BROKER", "autoconfig"}) {
    EXPECT_TRUE(isReservedObjectName(name)) << name;
  }
  for (const char* name : {"AGENTS", "", "AL", "a1", "AUTOCONFIG1"}) {
    EXPECT_FALSE(isReservedObjectName(name)) << name;
  }
  EXPECT_FALSE(isReservedObjectName(nullptr));
}

TEST(CaseInsensitive, FoldsToLowerCaseBeforeComparingBytes) {
  EXPECT_EQ(CompareIgnoringCase("QUIT", "quit"), 0);
  EXPECT_LT(CompareIgnoringCase("abc", "ABD"), 0);
  EXPECT_LT(CompareIgnoringCase("AB", "abc"), 0);
  // '_' sorts between upper and lower case in byte order, so after folding it precedes letters.
  CaseInsensitiveLess less;
  EXPECT_TRUE(less("_x", "A"));
  EXPECT_TRUE(less("_x", "a"));
}

TEST(CNumber, ReadsLikeAtoiAndSaturatesInsteadOfOverflowing) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {
      {"40", 40},        {"  -5x", -5},          {"+7", 7},           {"abc", 0},
      {"", 0},           {"12abc", 12},          {"-", 0},            {"\t\n 3", 3},
      {"99999999999999999999", INT_MAX},         {"-99999999999999999999", INT_MIN},
      {"2147483647", INT_MAX},                   {"-2147483648", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIntLikeAtoi(c.text), c.value) << c.text;
}

}  // namespace
