// The simulator's in-memory installation, below the vendor interface: the children of an entry,
// the addresses that name them, the properties they hold, and reading them from a site file.
#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/identity.h"
#include "sim/model.h"
#include "sim/site_reader.h"
#include "sim/site_writer.h"

namespace {

using sim::ChildList;

// The positions a walk over the list visits, in order.
std::vector<ChildList::Seq> Walk(const ChildList& list) {
  std::vector<ChildList::Seq> seqs;
  for (auto seq = list.First(); seq; seq = list.After(*seq)) seqs.push_back(*seq);
  return seqs;
}

// A DSM entry, whose identity key is its name (lower-case here): the list confirms a key against
// the child's own.
std::shared_ptr<sim::Entry> DsmNamed(const std::string& name) {
  auto entry = std::make_shared<sim::Entry>();
  entry->kind = sim::Kind::Dsm;
  entry->name = name;
  return entry;
}

// Appends, removals and restores in a long random mix, checked against a plain map after each
// step: the index grows, fills with removed places and is rebuilt many times over.
TEST(ChildList, AgreesWithAMapThroughAppendsRemovalsAndRestores) {
  ChildList list;
  std::map<std::string, ChildList::Seq> expected;
  std::map<ChildList::Seq, std::string> bySeq;  // of the children attached
  std::vector<ChildList::Removed> removed;
  ChildList::Seq next = 0;
  std::mt19937 random(7);
  auto randomKey = [&random] {
    const unsigned n = random() % 2000;
    return n == 0 ? std::string() : "key" + std::to_string(n);  // the empty key is a key too
  };
  for (int step = 0; step < 30000; ++step) {
    const std::string key = randomKey();
    const unsigned action = random() % 8;
    if (action < 4) {
      const bool added = list.Append(key, DsmNamed(key));
      ASSERT_EQ(added, expected.count(key) == 0) << key;
      if (added) bySeq[next] = key, expected[key] = next++;
    } else if (action < 7) {
      std::optional<ChildList::Removed> gone = list.Remove(key);
      ASSERT_EQ(gone.has_value(), expected.count(key) == 1) << key;
      if (gone) {
        EXPECT_EQ(gone->seq, expected[key]);
        EXPECT_EQ(gone->key, key);
        EXPECT_NE(gone->entry, nullptr);
        EXPECT_EQ(list.At(gone->seq), nullptr);
        expected.erase(key);
        bySeq.erase(gone->seq);
        removed.push_back(std::move(*gone));
      }
    } else if (!removed.empty() && expected.count(removed.back().key) == 0) {
      expected[removed.back().key] = removed.back().seq;
      bySeq[removed.back().seq] = removed.back().key;
      list.Restore(std::move(removed.back()));
      removed.pop_back();
    }
    const std::string probe = randomKey();
    const std::optional<ChildList::Seq> found = list.FindSeq(probe);
    auto wanted = expected.find(probe);
    ASSERT_EQ(found.has_value(), wanted != expected.end()) << probe << " at step " << step;
    if (found) {
      EXPECT_EQ(*found, wanted->second);
      EXPECT_EQ(list.Find(probe), list.At(*found).get());
      // Lookups in file order, as a script's spawns make them: the next child is found without
      // the index, past removed places.
      auto after = bySeq.upper_bound(*found);
      if (after != bySeq.end()) {
        EXPECT_EQ(list.FindSeq(after->second), after->first);
      }
    }
    ASSERT_EQ(list.size(), expected.size());
  }
  std::vector<ChildList::Seq> seqs;
  for (const auto& [key, seq] : expected) seqs.push_back(seq);
  std::sort(seqs.begin(), seqs.end());
  EXPECT_EQ(Walk(list), seqs);
}

// Addresses are four decimal numbers 0 to 255, without signs, blanks or leading zeros.
TEST(DottedDecimal, ParsesOnlyTheCanonicalForm) {
  using Address = std::array<uint8_t, 4>;
  const std::pair<const char*, Address> valid[] = {{"10.1.1.1", {10, 1, 1, 1}},
                                                   {"0.0.0.0", {0, 0, 0, 0}},
                                                   {"255.255.255.255", {255, 255, 255, 255}},
                                                   {"192.168.100.7", {192, 168, 100, 7}},
                                                   {"1.0.10.100", {1, 0, 10, 100}},
                                                   {"249.99.0.250", {249, 99, 0, 250}}};
  for (const auto& [text, address] : valid) {
    EXPECT_EQ(sim::ParseDottedDecimal(text), address) << text;
    EXPECT_TRUE(sim::IsDottedDecimal(text)) << text;
  }
  for (const char* text :
       {"",           "1.2.3",      "1.2.3.4.5", "1.2.3.",     ".1.2.3",     "1..2.3",
        "01.2.3.4",   "1.2.3.00",   "1.2.3.256", "1.2.3.1000", "1.2.3.0004", "+1.2.3.4",
        "1.2.3.-4",   " 1.2.3.4",   "1.2.3.4 ",  "a.b.c.d",    "1.2.3.04",   "0.00.1.2",
        "256.1.2.3",  "1.260.2.3",  "1.2.3.4.",  "1.2.3.4x",   "1.2.3:4",    "1234.1.2.3",
        "1.2.3.4567", "1.2.3.4/24", "1.2.3.4\n", "1.2.3.2555"}) {
    EXPECT_EQ(sim::ParseDottedDecimal(text), std::nullopt) << text;
    EXPECT_FALSE(sim::IsDottedDecimal(text)) << text;
  }
  EXPECT_EQ(sim::ParseDottedDecimal(std::string_view("1.2.3.4\0", 8)), std::nullopt);
  EXPECT_EQ(sim::ParseDottedDecimal(std::string_view("1.2.3\0.4", 8)), std::nullopt);
}

// Random texts of digits and dots (and a stray letter) are read as the C library's inet_pton
// reads them, which takes the same canonical form only.
TEST(DottedDecimal, AgreesWithInetPton) {
  std::mt19937 random(25);
  const char characters[] = "0123456789x";
  for (int round = 0; round < 100000; ++round) {
    std::string text;
    const unsigned parts = 3 + random() % 3;  // three to five, of none to four characters
    for (unsigned part = 0; part < parts; ++part) {
      if (part > 0) text += '.';
      for (unsigned count = random() % 5; count > 0; --count) text += characters[random() % 11];
    }
    in_addr parsed{};
    const bool valid = inet_pton(AF_INET, text.c_str(), &parsed) == 1;
    const std::optional<std::array<uint8_t, 4>> address = sim::ParseDottedDecimal(text);
    ASSERT_EQ(address.has_value(), valid) << text;
    if (valid) {
      EXPECT_EQ(std::memcmp(address->data(), &parsed, 4), 0) << text;
    }
  }
}

// Telling an entry's key without making it agrees with making it, for every kind of entry and
// every other entry's key: ports, communities and lengths differ, DSM names ignore case, and an
// address that is not dotted decimal gives the empty key.
TEST(IdentityKey, TellingAgreesWithMaking) {
  auto entry = [](sim::Kind kind, const char* ipaddr, uint16_t port, const char* name,
                  const char* community) {
    auto made = std::make_shared<sim::Entry>();
    made->kind = kind, made->ipaddr = ipaddr, made->port = port, made->name = name;
    made->community = community;
    return made;
  };
  using sim::Kind;
  const std::shared_ptr<sim::Entry> entries[] = {
      entry(Kind::Agent, "10.1.1.1", 5465, "", "public"),
      entry(Kind::Broker, "10.1.1.1", 5466, "", "public"),
      entry(Kind::Broker, "10.1.1.1", 5465 + 256, "", "public"),
      entry(Kind::Broker, "host", 5465, "", "public"),
      entry(Kind::Dsm, "", 5465, "Edge", "public"),
      entry(Kind::Dsm, "", 5465, "edge", "public"),
      entry(Kind::Dsm, "", 5465, "a DSM name longer than sixteen bytes", "public"),
      entry(Kind::Dsm, "", 5465, "", "public"),
      entry(Kind::Target, "10.2.0.1", 5465, "", "public"),
      entry(Kind::Target, "10.2.0.1", 5465, "", "Public"),
      entry(Kind::Target, "10.2.0.1", 5465, "", ""),
      entry(Kind::Target, "10.2.0.10", 5465, "", "publi"),
      entry(Kind::Target, "010.2.0.1", 5465, "", "public"),
      entry(Kind::Root, "", 5465, "", "public"),
  };
  std::vector<std::string> keys = {"", "edge\n", std::string("\n\1\1\1", 4)};
  for (const auto& each : entries) keys.push_back(sim::IdentityKey(*each));
  for (const auto& each : entries) {
    for (const std::string& key : keys) {
      EXPECT_EQ(sim::HasIdentityKey(*each, key), sim::IdentityKey(*each) == key)
          << sim::Describe(*each) << " against a key of " << key.size() << " bytes";
    }
  }
}

// The texts of an entry, in place up to 15 bytes and allocated beyond: whole, NUL-terminated,
// copied, moved and assigned across the boundary, and assigned a part of themselves.
TEST(ShortText, KeepsTextsOfEveryLength) {
  const std::string texts[] = {"",
                               "p",
                               "10.100.255.254",
                               "255.255.255.255",
                               "sixteen bytes 16",
                               std::string("nul\0inside", 11),
                               std::string(300, 'x') + "end"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    sim::ShortText kept(text);
    EXPECT_EQ(kept.view(), text);
    EXPECT_EQ(kept.size(), text.size());
    EXPECT_EQ(kept.c_str()[text.size()], '\0');
    sim::ShortText copy = kept;
    sim::ShortText moved = std::move(kept);
    EXPECT_EQ(copy.view(), text);
    EXPECT_EQ(moved.view(), text);
    EXPECT_TRUE(kept.empty());  // NOLINT: a moved-from text is empty
    for (const std::string& other : texts) {
      sim::ShortText assigned(other);
      assigned = copy;
      EXPECT_EQ(assigned.view(), text);
      assigned = std::string_view(other);
      EXPECT_EQ(assigned.view(), other);
      assigned = std::move(copy);
      EXPECT_EQ(assigned.view(), text);
      copy = assigned;
    }
    moved = moved.view().substr(moved.size() / 2);
    EXPECT_EQ(moved.view(), text.substr(text.size() / 2));
    EXPECT_EQ("<" + copy + ">", "<" + text + ">");
  }
}

// Entries may outlive their installation (held by an undo record, or a weak pointer elsewhere):
// the pool that holds them goes with the last of them, not with the site.
TEST(EntryPool, OutlivesItsSiteWhileEntriesAreHeld) {
  std::shared_ptr<sim::Entry> kept;
  std::weak_ptr<sim::Entry> watched;
  {
    sim::Site site;
    for (int i = 0; i < 5000; ++i) site.NewEntry(sim::Kind::Target)->name = "unkept";
    kept = site.NewEntry(sim::Kind::Dsm);
    kept->name = "a name too long to be kept in place";
    watched = site.NewEntry(sim::Kind::Target);
    site.root = watched.lock();
  }
  EXPECT_TRUE(watched.expired());
  EXPECT_EQ(std::string_view(kept->name), "a name too long to be kept in place");
  kept.reset();  // the pool goes now; the leak checker sees whether it did
}

// Properties given in any order come out in key order, the last of equal keys standing, each
// text whole and followed by its NUL (the engine takes them as C strings): a few, sorted by
// insertion, and more, given in reverse and twice over.
TEST(TextMap, KeyOrderLastOfEqualKeysAndWholeTexts) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  Pairs many, manySorted;
  for (int round = 0; round < 2; ++round) {
    for (int i = 39; i >= 0; --i) {
      many.emplace_back("P" + std::to_string(i), std::to_string(round) + ":" + std::to_string(i));
    }
  }
  manySorted.assign(many.begin() + 40, many.end());
  std::sort(manySorted.begin(), manySorted.end());
  const struct {
    Pairs given;
    Pairs expected;
  } cases[] = {
      {{}, {}},
      {{{"POLL", "30"}, {"DESCRIPTION", "target number 7"}},
       {{"DESCRIPTION", "target number 7"}, {"POLL", "30"}}},
      {{{"b", "1"}, {"a", ""}, {"b", "2"}, {"", "empty key"}, {"b", "3"}},
       {{"", "empty key"}, {"a", ""}, {"b", "3"}}},
      {{{"k", std::string("nul\0inside", 11)}}, {{"k", std::string("nul\0inside", 11)}}},
      {many, manySorted},
  };
  for (const auto& [given, expected] : cases) {
    sim::TextMap::Texts texts(given.begin(), given.end());
    sim::TextMap map;
    map.Assign(texts);
    Pairs contents;
    for (const auto& [key, value] : map) {
      EXPECT_EQ(key.data()[key.size()], '\0');
      EXPECT_EQ(value.data()[value.size()], '\0');
      contents.emplace_back(key, value);
    }
    EXPECT_EQ(contents, expected);
    EXPECT_EQ(map.size(), expected.size());
    for (const auto& [key, value] : expected) EXPECT_EQ(map.Find(key), value) << key;
    EXPECT_EQ(map.Find("absent"), std::nullopt);
  }
}

// Reading a site file takes short cuts (simdjson's On-Demand iteration, plain targets without the
// parser's events); whatever the text, it must agree with the reading through the events alone:
// the same refusal, or an installation that writes back the same.
TEST(SiteReading, AgreesWithTheReadingThroughTheEventsAlone) {
  const std::string dsm = R"({"format": 1, "server": "K", "agents": [{"ipaddr": "10.1.1.1",
      "brokers": [{"dsms": [{"name": "d", "targets": [)";
  const std::string end = "]}]}]}]}";
  const std::string rule = R"({"format": 1, "server": "K", "agents": [], "rules": [{"number": )";
  const std::string ruleEnd = "}]}";
  const std::string texts[] = {
      dsm + end,
      dsm + R"({"ipaddr": "10.2.0.1"}, {"ipaddr": "10.2.0.2", "community": "c", "alive": false,
               "properties": {"POLL": "30", "DESCRIPTION": "two"}})" +
          end,
      dsm + R"({"properties": {"b": "1", "a": "2"}, "ipaddr": "10.2.0.3"},
               {"ipaddr": "10.2.0.4", "logs": ["x"]}, {"ipaddr": "10.2.0.5"})" +
          end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "a\\u0000b", "e": "\u00e9"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "a\u0000b"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1"}, {"ipaddr": "10.2.0.1", "community": "public"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"a": "1", "a": "2"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "community": "x", "community": "y"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "alive": null})" + end,
      dsm + R"({"ipaddr": "10.2.0.1"}, 7, {"ipaddr": "10.2.0.2"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1"}, {"ipaddr": "10.2.0.2"})" + "]}]}]}] trailing",
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"a": -0}})" + end,
      R"({"format": 1, "server": "K", "agents": [], "rules": [{"number": -0}]})",
      "",
      "[]",
      " \n ",
      "\xef\xbb\xbf" + dsm + end,  // a byte order mark, which nlohmann's parser skips
      // Numbers: nlohmann's parser tells integers from floats by their text.
      rule + "-0.0" + ruleEnd,
      rule + "1e2" + ruleEnd,
      rule + "1E0" + ruleEnd,
      rule + "9223372036854775807" + ruleEnd,
      rule + "18446744073709551615" + ruleEnd,
      rule + "-9223372036854775809" + ruleEnd,
      rule + "123456789012345678901234567890" + ruleEnd,
      rule + "1e999" + ruleEnd,
      rule + "01" + ruleEnd,
      // Escapes, in keys and texts of plain targets and elsewhere.
      dsm + R"({"ip\u0061ddr": "10.2.0.1", "properties": {"k\"\\": "v\"\\", "\u00e9": "\/"}})" +
          end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k\u0000": "v"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "\ud800"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "\udc00"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "\q"}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": ")" + "\xff\xfe" + R"("}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": ")" + "\xed\xa0\x80" + R"("}})" + end,
      dsm +
          R"({"ipaddr": "10.2.0.1", "community": "\u0063"}, {"ipaddr": "10.2.0.1", "community": "c"})" +
          end,
      R"({"format": 1, "server": "K\"", "users": {"r\u00e9": "\t"}, "agents": []})",
      // Keys that begin as a known key does; texts whose quote or escape lies beyond eight bytes.
      dsm + R"({"ipaddrs": "10.2.0.1"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "alive_": true})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "propertie": {}})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "community": "communit", "properties": {"12345678": "a",
               "abcdefg\": "abcdefgh"ij", "p": "0123456789abcdeA", "q": "0123456789abcdef"}})" +
          end,
      // A target read by the events, then plain ones; one whose text goes wrong further on.
      dsm + R"({"ipaddr": "10.2.0.4", "logs": ["x"]}, {"ipaddr": "10.2.0.5", "alive": tru})" + end,
      dsm + R"({"ipaddr": "10.2.0.4", "logs": ["x"], "alive": tru}, {"ipaddr": "10.2.0.5"})" + end,
      dsm + R"({}, {"ipaddr": "10.2.0.5"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "logs": )" + std::string(2000, '[') + std::string(2000, ']') +
          "}" + end,
      // A string followed by ':' where a ',' belongs.
      R"({"format": 1, "server": "": ], "agents": []})",
      dsm + R"({"ipaddr": "10.2.0.1", "community": "c": 1}, {"ipaddr": "10.2.0.2"})" + end,
      dsm + R"({"ipaddr": "10.2.0.1", "properties": {"k": "v": "w"}})" + end,
      // What follows the top-level object.
      dsm + R"({"ipaddr": "10.2.0.1"})" + end + R"( {"format": 1})",
      dsm + R"({"ipaddr": "10.2.0.1"})" + end + "}",
      dsm + R"({"ipaddr": "10.2.0.1"})" + end.substr(1),
      dsm + R"({"ipaddr": "10.2.0.1",})" + end,
      R"({"format": 1, "server": "K", "agents": [], "format": 1})",
      R"({"format": )" + std::string(5000, '[') + std::string(5000, ']') + "}",
  };
  // Read from a copy, and in place from a buffer with room after the text (which holds what
  // would change the reading if it were read as part of the text).
  constexpr size_t kSlack = 64;
  for (const std::string& text : texts) {
    std::string referenceError;
    const auto reference = sim::ReadSiteThroughEvents(text, referenceError);
    const std::string buffer = text + std::string(kSlack, '}');
    for (const size_t slack : {size_t{0}, kSlack}) {
      std::string error;
      const auto site =
          sim::ReadSite(std::string_view(buffer).substr(0, text.size()), error, slack);
      ASSERT_EQ(site != nullptr, reference != nullptr) << text << "\n" << error << referenceError;
      if (site) {
        EXPECT_EQ(sim::WriteSite(*site), sim::WriteSite(*reference)) << text;
      } else {
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(error, referenceError) << text;
      }
    }
  }
}

}  // namespace
