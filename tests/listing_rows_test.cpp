// The rows behind the listings, as a renderer other than the text sees them: the fields the text
// leaves out, and that nothing is paged or written as text meanwhile.
#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "hxo/hxo.h"
#include "runtime/listing_output.h"

namespace {

struct Recorded {
  Listing listing;
  std::vector<ListingRow> rows;
  bool ended = false;
};

class RecordingRenderer : public ListingRenderer {
 public:
  void Begin(const Listing& listing) override { listings.push_back({listing, {}, false}); }
  void Row(const ListingRow& row) override { listings.back().rows.push_back(row); }
  std::string End() override {
    listings.back().ended = true;
    return {};
  }
  std::vector<Recorded> listings;
};

// What the text leaves out and the JSON test cannot check against it: beside an own rule value,
// the value it overrides from above. Nothing is paged or written as text meanwhile.
TEST(ListingRows, AnOwnRuleValueKeepsTheValueFromAbove) {
  RecordingRenderer recorder;
  SetListingRenderer(&recorder);
  testing::internal::CaptureStdout();
  // Three lines a page would stop every listing at a prompt if it were paged.
  const int failed = HXO_ExecuteCommands(
      "SET LINES 3\nAGENT a 127.0.0.1\na.SPAWN b BROKER\nb.SPAWN d dsm1\n"
      "d.SPAWN sw 10.2.0.1\na.QPK 40 3\nd.QPK 40 5\nd.QPK 40\nsw.QPK 40\nDROP a\n");
  const std::string out = testing::internal::GetCapturedStdout();
  SetListingRenderer(nullptr);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(out, "");
  ASSERT_EQ(recorder.listings.size(), 2u);
  for (const Recorded& recorded : recorder.listings) EXPECT_TRUE(recorded.ended);

  const RuleEntry& dsmRule = std::get<RuleEntry>(recorder.listings[0].rows.at(0));
  EXPECT_EQ(dsmRule.number, 40);
  EXPECT_EQ(dsmRule.ownValue, 5);
  EXPECT_EQ(dsmRule.inheritedValue, 3);
  const RuleEntry& targetRule = std::get<RuleEntry>(recorder.listings[1].rows.at(0));
  EXPECT_FALSE(targetRule.ownValue.has_value());
  EXPECT_EQ(targetRule.value(), 5);
}

// A program embedding the library: in JSON the captured output holds one document a paged
// listing, and text comes back byte for byte.
TEST(ListingRows, JsonIsCapturedAndTextComesBack) {
  EXPECT_EQ(HXO_SetOutputFormat("xml"), 1);
  ASSERT_EQ(HXO_SetOutputFormat("json"), 0);
  char* captured = nullptr;
  testing::internal::CaptureStdout();
  EXPECT_EQ(
      HXO_ExecuteCommandsGetOutput("AGENT a 127.0.0.1\na.SET POLL_INTERVAL 7\na.SET\n", &captured),
      0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(captured, nullptr);
  EXPECT_EQ(std::string(captured).find('\n'), std::strlen(captured) - 1);
  const nlohmann::json listing = nlohmann::json::parse(captured);
  std::free(captured);
  EXPECT_EQ(listing["listing"], "properties");
  EXPECT_EQ(listing["object"], "a");
  EXPECT_EQ(listing["rows"][2],
            nlohmann::json::parse(R"({"name":"POLL_INTERVAL","value":"7","changed":true})"));

  ASSERT_EQ(HXO_SetOutputFormat("text"), 0);
  EXPECT_EQ(HXO_ExecuteCommandsGetOutput("a.SET POLL_INTERVAL 8\na.SET\n", &captured), 0);
  EXPECT_STREQ(captured, "LOG_LEVEL = INFO\nMAX_QUEUE = 5000\nPOLL_INTERVAL = 8\n");
  std::free(captured);
}

}  // namespace
