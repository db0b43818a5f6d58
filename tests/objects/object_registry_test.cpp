#include "objects/object_registry.h"
#include "props/object_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Registers a nodeless object; parentName empty for an agent.
ConfigObject* Add(ObjectRegistry& registry, const std::string& name, ObjectKind kind,
                  const std::string& parentName = "") {
  ConfigObject* parent = parentName.empty() ? nullptr : registry.Find(parentName);
  registry.Insert(name, std::make_unique<ConfigObject>(name, kind, parent));
  return registry.Find(name);
}

std::vector<std::string> Keys(const ObjectRegistry& registry) {
  std::vector<std::string> keys;
  for (const auto& entry : registry) keys.push_back(entry.first);
  return keys;
}

std::vector<std::string> Children(const ObjectRegistry& registry, const std::string& parent) {
  const auto& children = registry.ChildrenOf(parent);
  return {children.begin(), children.end()};
}

TEST(ObjectRegistryTest, NamesAreExactAndWalkedInByteOrder) {
  ObjectRegistry registry;
  Add(registry, "a1", ObjectKind::Agent);
  Add(registry, "A1", ObjectKind::Agent);
  Add(registry, "_x", ObjectKind::Agent);
  Add(registry, "Zed", ObjectKind::Agent);
  EXPECT_NE(registry.Find("a1"), registry.Find("A1"));
  EXPECT_EQ(registry.Find("a1")->name, "a1");
  EXPECT_EQ(registry.Find("zed"), nullptr);
  // Upper case before '_' before lower case.
  EXPECT_THAT(Keys(registry), ElementsAre("A1", "Zed", "_x", "a1"));
  EXPECT_THAT(Children(registry, ""), ElementsAre("A1", "Zed", "_x", "a1"));
}

TEST(ObjectRegistryTest, ChildrenIndexFollowsInsertRemoveAndReplace) {
  ObjectRegistry registry;
  Add(registry, "a1", ObjectKind::Agent);
  Add(registry, "b2", ObjectKind::Broker, "a1");
  Add(registry, "b1", ObjectKind::Broker, "a1");
  Add(registry, "d1", ObjectKind::DSM, "b1");
  EXPECT_THAT(Children(registry, "a1"), ElementsAre("b1", "b2"));
  EXPECT_THAT(Children(registry, "b1"), ElementsAre("d1"));
  EXPECT_EQ(ParentName(*registry.Find("d1")), "b1");
  EXPECT_EQ(ParentName(*registry.Find("a1")), "");

  EXPECT_NE(registry.Remove("b2"), nullptr);
  EXPECT_EQ(registry.Remove("b2"), nullptr);
  EXPECT_THAT(Children(registry, "a1"), ElementsAre("b1"));

  // Replacing d1 with an object under another parent moves it in the index.
  Add(registry, "d1", ObjectKind::DSM, "a1");
  EXPECT_THAT(Children(registry, "b1"), IsEmpty());
  EXPECT_THAT(Children(registry, "a1"), ElementsAre("b1", "d1"));
  EXPECT_EQ(registry.size(), 3u);
}

TEST(ObjectRegistryTest, SubtreesFollowParentNamesAndDestroyingThemKeepsTheRestIndexed) {
  ObjectRegistry registry;
  Add(registry, "a1", ObjectKind::Agent);
  Add(registry, "b1", ObjectKind::Broker, "a1");
  Add(registry, "b2", ObjectKind::Broker, "a1");
  Add(registry, "d1", ObjectKind::DSM, "b1");
  Add(registry, "t1", ObjectKind::Target, "d1");
  Add(registry, "d2", ObjectKind::DSM, "b2");

  std::set<std::string> names;
  registry.CollectSubtree("nosuch", names);
  EXPECT_THAT(names, IsEmpty());
  registry.CollectSubtree("b1", names);
  EXPECT_THAT(names, ElementsAre("b1", "d1", "t1"));
  std::set<std::string> wholeAgent;
  registry.CollectSubtree("a1", wholeAgent);
  EXPECT_THAT(wholeAgent, ElementsAre("a1", "b1", "b2", "d1", "d2", "t1"));

  registry.DestroySubtrees(names);
  EXPECT_THAT(Keys(registry), ElementsAre("a1", "b2", "d2"));
  EXPECT_THAT(Children(registry, "a1"), ElementsAre("b2"));
  EXPECT_THAT(Children(registry, "b1"), IsEmpty());
  EXPECT_THAT(Children(registry, "d1"), IsEmpty());
  // The names are free again, under any parent.
  Add(registry, "d1", ObjectKind::DSM, "b2");
  EXPECT_THAT(Children(registry, "b2"), ElementsAre("d1", "d2"));
}

TEST(ObjectRegistryTest, AChildCanBeRemovedAfterItsParentWasDestroyed) {
  ObjectRegistry registry;
  Add(registry, "a1", ObjectKind::Agent);
  Add(registry, "b1", ObjectKind::Broker, "a1");
  registry.Remove("a1").reset();
  EXPECT_NE(registry.Remove("b1"), nullptr);
  EXPECT_TRUE(registry.empty());
}

TEST(ObjectRegistryTest, ReservedNamesSelectByKind) {
  struct Case {
    const char* reserved;
    ObjectKind kind;
    bool selected;
  };
  const Case cases[] = {
      {"ALL", ObjectKind::Target, true},         {"all", ObjectKind::Agent, true},
      {"agent", ObjectKind::Agent, true},        {"AGENT", ObjectKind::Broker, false},
      {"Dsm", ObjectKind::DSM, true},            {"TARGET", ObjectKind::Target, true},
      {"BROKER", ObjectKind::Broker, true},      {"broker", ObjectKind::AutoConfig, false},
      {"AutoConfig", ObjectKind::AutoConfig, true}, {"DSM", ObjectKind::Target, false},
  };
  for (const Case& c : cases) {
    ConfigObject object("o", c.kind, nullptr);
    EXPECT_EQ(ObjectSelection(c.reserved).Includes(object), c.selected) << c.reserved << " " << KindName(c.kind);
  }
}

}  // namespace
