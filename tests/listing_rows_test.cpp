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

template <typename Entry>
std::vector<Entry> RowsOf(const Recorded& recorded) {
  std::vector<Entry> rows;
  for (const ListingRow& row : recorded.rows) rows.push_back(std::get<Entry>(row));
  return rows;
}

TEST(ListingRows, CarryWhatTheTextLeavesOut) {
  RecordingRenderer recorder;
  SetListingRenderer(&recorder);
  testing::internal::CaptureStdout();
  // Three lines a page would stop every listing at a prompt if it were paged.
  const int failed = HXO_ExecuteCommands(
      "SET LINES 3\nAGENT a 127.0.0.1\na.SPAWN b BROKER\nb.SPAWN d dsm1\n"
      "d.SPAWN sw 10.2.0.1\nd.LIST\nsw.SET DESCRIPTION core\nsw.SET\n"
      "a.QPK 40 3\nd.QPK 40 5\nd.QPK 40\nsw.QPK 40\nOBJECTS\nDROP a\n");
  const std::string out = testing::internal::GetCapturedStdout();
  SetListingRenderer(nullptr);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(out, "");
  ASSERT_EQ(recorder.listings.size(), 5u);
  for (const Recorded& recorded : recorder.listings) EXPECT_TRUE(recorded.ended);

  // LIST: the target that a registered object stands for is named, the others are not.
  const Recorded& targets = recorder.listings[0];
  EXPECT_EQ(targets.listing.kind, ListingKind::kTargets);
  EXPECT_EQ(targets.listing.object, "d");
  int named = 0;
  for (const TargetEntry& target : RowsOf<TargetEntry>(targets)) {
    EXPECT_EQ(target.registeredName, target.address == "10.2.0.1" ? "sw" : "") << target.address;
    named += !target.registeredName.empty();
  }
  EXPECT_EQ(named, 1);

  // SET: only the property set in the working copy is changed.
  const Recorded& properties = recorder.listings[1];
  EXPECT_EQ(properties.listing.kind, ListingKind::kProperties);
  const std::vector<PropertyEntry> entries = RowsOf<PropertyEntry>(properties);
  ASSERT_GT(entries.size(), 1u);
  for (const PropertyEntry& entry : entries) {
    EXPECT_EQ(entry.changed, entry.name == "DESCRIPTION") << entry.name;
    if (entry.name == "DESCRIPTION") {
      EXPECT_EQ(entry.value, "core");
    }
  }

  // QPK: an own value keeps the value from above beside it; without one, the value from the
  // nearest object above is in force.
  const Recorded& own = recorder.listings[2];
  EXPECT_EQ(own.listing.kind, ListingKind::kRule);
  ASSERT_EQ(own.rows.size(), 1u);
  const RuleEntry& dsmRule = std::get<RuleEntry>(own.rows[0]);
  EXPECT_EQ(dsmRule.number, 40);
  EXPECT_EQ(dsmRule.ownValue, 5);
  EXPECT_EQ(dsmRule.inheritedValue, 3);
  const RuleEntry& targetRule = std::get<RuleEntry>(recorder.listings[3].rows.at(0));
  EXPECT_FALSE(targetRule.ownValue.has_value());
  EXPECT_EQ(targetRule.value(), 5);
  EXPECT_FALSE(targetRule.description.empty());

  // OBJECTS: the tree by depth, with what identifies each object.
  const std::vector<ObjectTreeEntry> tree = RowsOf<ObjectTreeEntry>(recorder.listings[4]);
  ASSERT_EQ(tree.size(), 4u);
  const char* const names[] = {"a", "b", "d", "sw"};
  for (size_t i = 0; i < tree.size(); ++i) {
    EXPECT_EQ(tree[i].name, names[i]);
    EXPECT_EQ(tree[i].depth, i);
  }
  EXPECT_EQ(tree[0].address, "127.0.0.1");
  EXPECT_FALSE(tree[0].version.has_value());
  ASSERT_TRUE(tree[1].version.has_value());
  EXPECT_EQ(tree[2].dsmName, "dsm1");
  EXPECT_EQ(tree[3].kind, "Target");
  EXPECT_EQ(tree[3].address, "10.2.0.1");
  EXPECT_TRUE(tree[3].community.has_value());
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
