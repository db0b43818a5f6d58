// The registry answers as a plain ordered map of names would, through any mix of lookups,
// registrations, replacements and removals: what it remembers between calls (the last object
// found, where a missing name would go, the last family) never outlives a change.
#include "model/object_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "model/workspace.h"

namespace {

TEST(ObjectRegistry, AnswersAsAnOrderedMapThroughEveryChange) {
  Workspace workspace;
  ObjectRegistry& registry = workspace.registry();
  std::map<std::string, std::pair<ConfigObject*, std::string>> model;  // name -> object, parent
  std::vector<ConfigObject*> parents;
  for (const char* name : {"p0", "p1", "p2"}) {
    auto parent = std::make_unique<ConfigObject>(workspace, name, ObjectKind::Agent, nullptr);
    parents.push_back(parent.get());
    model[name] = {parent.get(), ""};
    registry.Insert(name, std::move(parent));
  }
  std::mt19937 random(7);
  const auto pick = [&](int n) { return static_cast<int>(random() % n); };
  for (int step = 0; step < 4000; ++step) {
    const std::string name = "c" + std::to_string(pick(12));
    const std::string context = "step " + std::to_string(step) + ", " + name;
    auto known = model.find(name);
    switch (pick(4)) {
      case 0:  // a lookup, and sometimes a registration under that name or another one
        EXPECT_EQ(registry.Find(name), known == model.end() ? nullptr : known->second.first)
            << context;
        if (pick(2) == 0) break;
        [[fallthrough]];
      case 1: {
        const std::string other = pick(2) == 0 ? name : "c" + std::to_string(pick(12));
        ConfigObject* parent = parents[pick(3)];
        auto object =
            std::make_unique<ConfigObject>(workspace, other, ObjectKind::Broker, parent);
        model[other] = {object.get(), parent->name()};
        registry.Insert(other, std::move(object));
        break;
      }
      case 2:
        if (pick(2) == 0) {
          registry.Insert(name, nullptr);
        } else {
          registry.Remove(name);
        }
        model.erase(name);
        break;
      default:
        EXPECT_EQ(registry.Find(name), known == model.end() ? nullptr : known->second.first)
            << context;
        break;
    }
    ASSERT_EQ(registry.size(), model.size()) << context;
    auto registered = registry.begin();
    for (const auto& [modelName, entry] : model) {
      ASSERT_EQ(registered->first, modelName) << context;
      ASSERT_EQ(registered->second.get(), entry.first) << context;
      ++registered;
    }
    for (ConfigObject* parent : parents) {
      std::vector<std::string> expected, found;
      for (const auto& [modelName, entry] : model) {
        if (entry.second == parent->name()) expected.push_back(modelName);
      }
      for (const auto& [childName, child] : registry.ChildrenOf(parent->name())) {
        found.emplace_back(childName);
      }
      ASSERT_EQ(found, expected) << context << " under " << parent->name();
      EXPECT_EQ(registry.HasChildOfKind(*parent, ObjectKind::Broker), !expected.empty());
    }
  }
  registry.Clear();
  EXPECT_EQ(registry.Find("p0"), nullptr);
  EXPECT_TRUE(registry.ChildrenOf("p0").empty());
}

}  // namespace
