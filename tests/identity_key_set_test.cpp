// The packed identity keys of a registered child: every key comes back whole and in order, and
// only a whole key is found (the keys hold NUL bytes between their fields).
#include "model/identity_key_set.h"

#include <gtest/gtest.h>

#include "model/child_identity.h"

namespace {

std::vector<std::string> Unpacked(const IdentityKeySet& set) {
  std::vector<std::string> keys;
  set.ForEach([&](std::string_view key) { keys.emplace_back(key); });
  return keys;
}

TEST(IdentityKeySet, HoldsWholeKeysOnly) {
  const std::string broker = BrokerIdentityKey("10.1.1.20", 40000);
  const std::string dsm = DsmIdentityKey("Dsm1");
  const std::string target = TargetIdentityKey("10.2.0.1", "public");
  const std::vector<std::vector<std::string>> cases = {
      {}, {dsm}, {broker, dsm, target}, {target, std::string(300, 'x')}};
  for (const std::vector<std::string>& keys : cases) {
    const IdentityKeySet set(keys);
    EXPECT_EQ(Unpacked(set), keys);
    for (const std::string& key : keys) EXPECT_TRUE(set.Contains(key));
    // A key cut short at a field separator, or one with more after it, is another key.
    EXPECT_FALSE(set.Contains(target.substr(0, target.find('\0'))));
    EXPECT_FALSE(set.Contains(target + "x"));
    EXPECT_FALSE(set.Contains(""));
  }
}

}  // namespace
