// The small parsers: tokens, numbers, rule texts, addresses and the switches of LOG.
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "model/address.h"
#include "model/object_kind.h"
#include "model/rule_list.h"
#include "model/rule_value_text.h"
#include "props/log_switches.h"
#include "runtime/c_number.h"
#include "runtime/tokens.h"

namespace {

TEST(Tokens, CountGetAndRestOfLine) {
  struct Case {
    const char* line;
    unsigned count;
    const char* second;  // token 2
    const char* rest;    // from token 2 on
  };
  const Case cases[] = {
      {"   \t\r\n", 0, "", ""},
      {"QUIT\n", 1, "", ""},
      {"  SET   LINES\t 40 \r\n", 3, "LINES", "LINES\t 40"},
      {"a\tb\rc\nd", 4, "b", "b\rc\nd"},
      {"PRINT  a   b  \n", 3, "a", "a   b"},
      {"#comment x", 2, "x", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tokenCount(c.line), c.count) << c.line;
    EXPECT_EQ(getToken(2, c.line), c.second) << c.line;
    EXPECT_EQ(restOfLine(2, c.line), c.rest) << c.line;
  }
  EXPECT_EQ(getToken(0, "a b"), "");
  // Other delimiter sets, before and after the standard one.
  EXPECT_EQ(tokenCount("a,,b;c d", ",;"), 3u);
  EXPECT_EQ(getToken(3, "a,,b;c d", ",;"), "c d");
  EXPECT_EQ(getToken(2, "a,,b;c d"), "d");
  EXPECT_EQ(restOfLine(2, ",a,,b;c;,", ",;"), "b;c");
  EXPECT_EQ(restOfLine(0, "  lead and trail \t\n"), "  lead and trail");
  for (const char* name : {"ALL", "All", "agent", "Target", "dsm", "AutoConfig", "broker"}) {
    EXPECT_TRUE(isReservedObjectName(name)) << name;
  }
  for (const char* name : {"AGENTS", "", "AL", "a1", "AUTOCONFIG1", (const char*)nullptr}) {
    EXPECT_FALSE(isReservedObjectName(name)) << (name ? name : "null");
  }
}

TEST(Tokens, EachTokenOnceOrByNumber) {
  struct Case {
    const char* line;
    std::vector<std::string_view> tokens;
  };
  const Case cases[] = {
      {"d0_0.SPAWN t123 10.100.0.1", {"d0_0.SPAWN", "t123", "10.100.0.1"}},
      {"  a\tb\r\nc  ", {"a", "b", "c"}},
      {"", {}},
      {" \t ", {}},
      {"1 2 3 4 5 6 7 8 9 10 11", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}},
      {"x", {"x"}},
  };
  // Asked for in any order, past the last token and past the tokens LineTokens keeps.
  const unsigned order[] = {2, 1, 4, 3, 0, 12, 9, 10, 5};
  for (const Case& c : cases) {
    EXPECT_EQ(tokenCount(c.line), c.tokens.size()) << c.line;
    for (unsigned n = 0; n <= c.tokens.size() + 1; ++n) {
      EXPECT_EQ(HasTokens(c.line, n), n <= c.tokens.size()) << c.line << " #" << n;
    }
    LineTokens tokens(c.line);
    for (unsigned n : order) {
      const std::string_view expected = n >= 1 && n <= c.tokens.size() ? c.tokens[n - 1] : "";
      EXPECT_EQ(tokens[n], expected) << c.line << " #" << n;
      EXPECT_EQ(TokenView(n, c.line), expected) << c.line << " #" << n;
      EXPECT_EQ(getToken(n, c.line), expected) << c.line << " #" << n;
    }
  }
}

TEST(Numbers, ReadLikeAtoiAndSaturate) {
  const std::pair<const char*, int> cases[] = {{"  -5x", -5},
                                               {"+7", 7},
                                               {"abc", 0},
                                               {"-", 0},
                                               {"\t\n 3", 3},
                                               {"-2147483648", INT_MIN},
                                               {"99999999999999999999", INT_MAX},
                                               {"-99999999999999999999", INT_MIN}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIntLikeAtoi(text), value) << text;
}

TEST(RuleTexts, ValuesReadAndWritten) {
  const std::pair<const char*, RuleValues> cases[] = {
      {"", {}},
      {"5 3 9", {{5, 3}}},  // a lone last token is ignored
      {"7 1 7 4", {{7, 4}}},
      {"12 DEFAULT", {{12, 0}}},
      {"  3\t\t7 \n12   0\n", {{3, 7}, {12, 0}}},
      {"-4 -1 +6 8", {{-4, -1}, {6, 8}}},
      {"3x 7y", {{3, 7}}},
      {"99999999999 1", {{INT_MAX, 1}}},
  };
  for (const auto& [text, expected] : cases) {
    RuleValues values{{3, 1}};
    ReadRuleValueText(text, values);
    RuleValues withOld = expected;
    withOld.emplace(3, 1);  // reading adds to what is there
    EXPECT_EQ(values, withOld) << '"' << text << '"';
  }
  EXPECT_EQ(WriteRuleValueText({}), "");
  EXPECT_EQ(WriteRuleValueText({{12, 0}, {3, 7}, {-5, -1}}), "-5 -1 3 7 12 0");
}

TEST(RuleTexts, RuleList) {
  const std::pair<const char*, RuleDescriptions> cases[] = {
      {"12\t\"Alpha\"\n3 \"Beta gamma\"\n", {{3, "Beta gamma"}, {12, "Alpha"}}},
      {"12 \"Alpha\"", {{12, "Alpha"}}},
      {"12 \"Alpha\"\r\n", {{12, "Alpha\""}}},
      {"12 \"Old\"\n12 \"New\"\n", {{12, "New"}}},
      {"7 x\n", {{7, ""}}},
      {"12", {}},
      {"\n\n  5 'Quoted'\n", {{0, "5 'Quoted"}}},      // line feeds do not end a number
      {"4  \"Two blanks\"\n", {{4, "\"Two blanks"}}},  // one delimiter ends the number
  };
  for (const auto& [text, expected] : cases) {
    RuleDescriptions descriptions;
    ParseRuleList(text, descriptions);
    EXPECT_EQ(descriptions, expected) << '"' << text << '"';
  }
}

TEST(Addresses, DottedQuadAndResolution) {
  // Only the first 16 characters are looked at.
  for (const char* quad : {"255.255.255.255", "010.001.002.003", "1..2.3", "1.2.3.4x",
                           "1.2.3.4xxxxxxxxxxxxxxxxxxxxx.5"}) {
    EXPECT_TRUE(IsDottedQuad(quad)) << quad;
  }
  for (const char* other : {"10.1.2", "1.2.3.4.5", "1.2.3.256", "a.1.2.3", " 1.2.3.4", "1.2.3.-1",
                            "99999999999.1.1.1", "", "1.2.3.45678901234"}) {
    EXPECT_FALSE(IsDottedQuad(other)) << other;
  }
  EXPECT_FALSE(IsDottedQuad(nullptr));
  auto unterminated = std::make_unique<char[]>(16);  // nothing past it may be read
  std::memcpy(unterminated.get(), "1.2.3.4444444444", 16);
  EXPECT_FALSE(IsDottedQuad(unterminated.get()));

  // Plain decimal quads are read without inet_addr; anything else still goes through it.
  const std::pair<const char*, const char*> resolved[] = {
      {"010.0.0.1", "8.0.0.1"},         {"LocalHost", "127.0.0.1"},
      {"254.10.0.200", "254.10.0.200"}, {"10.0.0.255", "10.0.0.255"},
      {"192.168.1.1", "192.168.1.1"},   {"1.2.3.010", "1.2.3.8"},
      {"1.2.3.4 ", "1.2.3.4"}};
  for (const auto& [text, dotted] : resolved) {
    in_addr address{};
    ASSERT_TRUE(ResolveAddress(text, address)) << text;
    EXPECT_EQ(DottedText(address), dotted);
  }
  for (const char* unresolved : {"0.0.0.0", "255.255.255.255", "1.2.3.4x", "", "1.2.3.08",
                                 "1.2.3.4000", "1.2.3.", (const char*)nullptr}) {
    in_addr address{};
    EXPECT_FALSE(ResolveAddress(unresolved, address)) << (unresolved ? unresolved : "null");
  }
}

TEST(LogSwitchesTest, AnyCombination) {
  using E = LogSwitchError;
  struct Case {
    const char* line;
    E error;
    bool follow, interactive;
    int tailCount, backup;
  };
  const Case cases[] = {
      {"a.LOG -fi 2", E::kNone, true, true, 0, 2},
      {"a.LOG -t 5 -f", E::kNone, true, false, 5, 0},
      {"a.LOG -t 5 3", E::kNone, false, false, 5, 3},
      {"a.LOG -t 5x", E::kNone, false, false, 5, 0},
      {"a.LOG - 1", E::kNone, false, false, 0, 1},
      {"a.LOG 1 -f", E::kNone, false, false, 0, 1},  // switches end at the backup number
      {"a.LOG -fF", E::kInvalidSwitch, true, false, 0, 0},
      {"a.LOG -3", E::kInvalidSwitch, false, false, 0, 0},
      {"a.LOG -f -t", E::kTailWithoutNumber, true, false, 0, 0},
      {"a.LOG -t -f", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG -t abc", E::kTailNotPositive, false, false, 0, 0},
      {"a.LOG -f x", E::kBadBackup, true, false, 0, 0},
  };
  for (const Case& c : cases) {
    const LogSwitchParse parse = ParseLogSwitches(c.line);
    EXPECT_EQ(parse.error, c.error) << c.line;
    EXPECT_EQ(parse.switches.follow, c.follow) << c.line;
    EXPECT_EQ(parse.switches.interactive, c.interactive) << c.line;
    EXPECT_EQ(parse.switches.tailCount, c.tailCount) << c.line;
    if (c.error == E::kNone) {
      EXPECT_EQ(parse.switches.backup, c.backup) << c.line;
    }
  }
  EXPECT_EQ(ParseLogSwitches("a.LOG -f x7").backupToken, "x7");
}

}  // namespace
