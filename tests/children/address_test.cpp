#include "children/address.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct QuadCase {
  const char* text;
  bool quad;
};

TEST(IsDottedQuadTest, ChoosesNumericConversionOnlyForFourSmallParts) {
  const QuadCase cases[] = {
      {"10.1.2.3", true},
      {"255.255.255.255", true},
      {"0.0.0.0", true},
      {"010.001.002.003", true},  // leading zeros are still a quad
      {"1..2.3", true},           // an empty part passes
      {"1.2.3.4x", true},         // passes here, fails in the conversion
      {"10.1.2", false},
      {"1.2.3.4.5", false},
      {"300.1.1.1", false},
      {"1.2.3.256", false},
      {"a.1.2.3", false},
      {" 1.2.3.4", false},
      {"1.2.3.-1", false},
      {"99999999999.1.1.1", false},  // first part beyond 255
      {"localhost", false},
      {"", false},
  };
  for (const QuadCase& c : cases) {
    EXPECT_EQ(IsDottedQuad(c.text), c.quad) << '"' << c.text << '"';
  }
  EXPECT_FALSE(IsDottedQuad(nullptr));
}

TEST(IsDottedQuadTest, LooksAtTheFirstSixteenCharactersOnly) {
  // A fourth dot beyond the copy is not seen, and the last part is cut at the copy's end.
  EXPECT_TRUE(IsDottedQuad("1.2.3.4xxxxxxxxxxxxxxxxxxxxx.5"));
  EXPECT_FALSE(IsDottedQuad("1.2.3.45678901234"));  // last part read as 4567890123
  // Without a terminator inside the copy, nothing past it may be read (ASan checks this).
  auto unterminated = std::make_unique<char[]>(16);
  std::memcpy(unterminated.get(), "1.2.3.4444444444", 16);
  EXPECT_FALSE(IsDottedQuad(unterminated.get()));
}

std::string resolved(const char* text) {
  in_addr address{};
  return ResolveAddress(text, address) ? DottedText(address) : "(failed)";
}

TEST(ResolveAddressTest, ConvertsToPlainDottedDecimal) {
  EXPECT_EQ(resolved("10.1.2.3"), "10.1.2.3");
  EXPECT_EQ(resolved("010.0.0.1"), "8.0.0.1");  // inet_addr reads a leading zero as octal
  EXPECT_EQ(resolved("localhost"), "127.0.0.1");
  EXPECT_EQ(resolved("LocalHost"), "127.0.0.1");
}

TEST(ResolveAddressTest, RefusesTheConversionsFailureValuesAndNonAddresses) {
  EXPECT_EQ(resolved("0.0.0.0"), "(failed)");
  EXPECT_EQ(resolved("255.255.255.255"), "(failed)");
  EXPECT_EQ(resolved("1.2.3.4x"), "(failed)");
  EXPECT_EQ(resolved(""), "(failed)");
  EXPECT_EQ(resolved(nullptr), "(failed)");
}

}  // namespace
