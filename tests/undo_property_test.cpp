// The undo script of a real run over generated sites and scripts: run for real with --undo, run
// the undo script, and the installation's entries, properties and rule values are what they were.
//
// Compared: the entries by identity (agent and broker address and port, DSM name, target address
// and community, an autoconfig object by its broker), every property, and the rule values of
// qpk_own and qpk_inherited as numbers and values. Set aside, as bookkeeping that no command sets:
// journals (the commands sent), logs, versions, reconfiguration state, the order of children, the
// "local" mark and the load ids; a property that is absent and one that is empty count as the same,
// since the language can only empty a property and COMMIT writes empty rule values.
//
// HXO_UNDO_SEEDS sets the number of seeds (30 by default); bench/undo_seeds.sh runs 300.
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support.h"

namespace {

using nlohmann::json;

const char* const kRules[] = {"12", "30", "40"};

// The rule values of a qpk property by number.
std::map<std::string, std::string> RuleValues(const json& properties, const char* name) {
  std::map<std::string, std::string> values;
  if (!properties.contains(name)) return values;
  std::istringstream words(properties[name].get<std::string>());
  for (std::string rule, value; words >> rule >> value;) values[rule] = value;
  return values;
}

// Every entry of a site by its path of identities, as "properties | own rules | inherited rules".
void Flatten(const json& entry, const std::string& path, std::map<std::string, std::string>& out) {
  const json properties = entry.value("properties", json::object());
  std::string text;
  for (const auto& [name, value] : properties.items()) {
    if (name == "qpk_own" || name == "qpk_inherited" || value.get<std::string>().empty()) continue;
    text += name + "=" + value.get<std::string>() + "; ";
  }
  for (const char* rules : {"qpk_own", "qpk_inherited"}) {
    text += "| ";
    for (const auto& [rule, value] : RuleValues(properties, rules))
      text += rule + ":" + value + " ";
  }
  out[path] = text;
  const auto address = [](const json& child) {
    return child.value("ipaddr", "") + ":" + std::to_string(child.value("port", 5465));
  };
  for (const json& agent : entry.value("agents", json::array()))
    Flatten(agent, path + "/Agent " + address(agent), out);
  for (const json& broker : entry.value("brokers", json::array()))
    Flatten(broker, path + "/Broker " + address(broker), out);
  if (entry.contains("autoconfig")) Flatten(entry["autoconfig"], path + "/AutoConfig", out);
  for (const json& dsm : entry.value("dsms", json::array()))
    Flatten(dsm, path + "/DSM " + dsm.value("name", ""), out);
  for (const json& target : entry.value("targets", json::array())) {
    Flatten(
        target,
        path + "/Target " + target.value("ipaddr", "") + "@" + target.value("community", "public"),
        out);
  }
}

std::map<std::string, std::string> Flattened(const std::string& siteText) {
  std::map<std::string, std::string> out;
  Flatten(json::parse(siteText), "", out);
  return out;
}

// A site and a script made from one seed.
class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  std::string Site() {
    json agents = json::array();
    for (int a = 0, agentCount = Below(2) + 1; a < agentCount; ++a) {
      const std::string ip = a == 0 ? "127.0.0.1" : "10.1.1.1";
      const std::string agentName = "a" + std::to_string(a);
      script_ += "AGENT " + agentName + " " + ip + "\n";
      objects_.push_back(agentName);
      json agent = Node({}, "agent");
      agent["ipaddr"] = ip;
      json brokers = json::array();
      for (int b = 0, brokerCount = Below(2) + 1; b < brokerCount; ++b) {
        brokers.push_back(Broker(agentName, a, b, agent["properties"]));
      }
      agent["brokers"] = brokers;
      agents.push_back(agent);
    }
    json site = {{"format", 1}, {"server", "KORAS"}, {"users", {{"root", ""}}}, {"agents", agents}};
    site["rules"] = json::array();
    for (const char* rule : kRules) {
      site["rules"].push_back(
          {{"number", std::stoi(rule)}, {"description", std::string("rule ") + rule}});
    }
    return site.dump(1);
  }

  // The lines after the declarations, CONTINUE ON: most reach an object, some fail.
  std::string Script() {
    std::string lines = "SET CONTINUE ON\n" + script_;
    for (int i = 0, count = Below(30) + 10; i < count; ++i) lines += Line();
    if (Below(2) == 0) lines += "ALL.COMMIT\n";
    return lines;
  }

 private:
  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  template <size_t N>
  const char* Pick(const char* const (&pool)[N]) {
    return pool[Below(static_cast<int>(N))];
  }

  // An entry's properties, its own rule values (sometimes) and the inherited ones that COMMIT
  // would have written from those above (inherited: the values from above, nearest last).
  json Node(const std::map<std::string, std::string>& inherited, const std::string& kind) {
    json properties = {{"POLL_INTERVAL", Below(2) == 0 ? "60" : "300"},
                       {"DESCRIPTION", kind + " " + std::to_string(++entries_)}};
    if (Below(3) == 0) properties["NOTE"] = "";
    std::map<std::string, std::string> own;
    if (Below(3) == 0) own[Pick(kRules)] = std::to_string(Below(11));
    if (!own.empty()) properties["qpk_own"] = RuleText(own);
    if (!inherited.empty()) properties["qpk_inherited"] = RuleText(inherited);
    return {{"properties", properties}};
  }

  static std::string RuleText(const std::map<std::string, std::string>& values) {
    std::map<int, std::string> sorted;
    for (const auto& [rule, value] : values) sorted[std::stoi(rule)] = value;
    std::string text;
    for (const auto& [rule, value] : sorted) {
      text += (text.empty() ? "" : " ") + std::to_string(rule) + " " + value;
    }
    return text;
  }

  // What an entry below one with these properties inherits.
  static std::map<std::string, std::string> Inherited(const json& properties) {
    std::map<std::string, std::string> values = RuleValues(properties, "qpk_inherited");
    for (const auto& [rule, value] : RuleValues(properties, "qpk_own")) values[rule] = value;
    return values;
  }

  json Broker(const std::string& agentName, int a, int b, const json& agentProperties) {
    const std::string ip = "10.1." + std::to_string(a + 2) + "." + std::to_string(b + 10);
    const std::string name = agentName + "b" + std::to_string(b);
    script_ += agentName + ".SPAWN " + name + " " + ip + " " + std::to_string(5465 + b) + "\n";
    objects_.push_back(name);
    json broker = Node(Inherited(agentProperties), "broker");
    broker["ipaddr"] = ip;
    broker["port"] = 5465 + b;
    const auto inherited = Inherited(broker["properties"]);
    if (Below(2) == 0) {
      broker["autoconfig"] = Node(inherited, "autoconfig");
      script_ += name + ".SPAWN " + name + "c AUTOCONFIG\n";
      objects_.push_back(name + "c");
    }
    broker["dsms"] = json::array();
    for (int d = 0, dsmCount = Below(2) + 1; d < dsmCount; ++d) {
      const std::string dsmName = name + "d" + std::to_string(d);
      script_ += name + ".SPAWN " + dsmName + " dsm" + std::to_string(d + 1) + "\n";
      objects_.push_back(dsmName);
      dsms_.push_back(dsmName);
      json dsm = Node(inherited, "dsm");
      dsm["name"] = "dsm" + std::to_string(d + 1);
      dsm["targets"] = json::array();
      for (int t = 0, targetCount = Below(3) + 1; t < targetCount; ++t) {
        const std::string address =
            "10.2." + std::to_string(dsms_.size()) + "." + std::to_string(t + 1);
        const std::string community = Below(3) == 0 ? "lab" : "public";
        const std::string targetName = dsmName + "t" + std::to_string(t);
        script_ += dsmName + ".SPAWN " + targetName + " " + address + " " + community + "\n";
        objects_.push_back(targetName);
        targets_.push_back({dsmName, targetName, address + " " + community});
        json target = Node(Inherited(dsm["properties"]), "target");
        target["ipaddr"] = address;
        target["community"] = community;
        dsm["targets"].push_back(target);
      }
      broker["dsms"].push_back(dsm);
    }
    return broker;
  }

  std::string Object() { return objects_[Below(static_cast<int>(objects_.size()))]; }

  std::string Line() {
    static const char* const kProperties[] = {"POLL_INTERVAL", "DESCRIPTION", "NOTE", "EXTRA"};
    static const char* const kValues[] = {"30", "45", "a new value", "x"};
    static const char* const kSelections[] = {"ALL",    "TARGET", "DSM",
                                              "BROKER", "AGENT",  "AUTOCONFIG"};
    const std::string some = Below(4) == 0 ? Pick(kSelections) : Object();
    switch (Below(9)) {
      case 0:
        return some + ".SET " + Pick(kProperties) + " " + Pick(kValues) + "\n";
      case 1:
        return some + ".UNSET " + Pick(kProperties) + "\n";
      case 2:
        return some + ".RESET " + Pick(kProperties) + "\n";
      case 3:
        return some + ".QPK " + Pick(kRules) + " " + std::to_string(Below(12) - 1) + "\n";
      case 4:
        return some + ".COMMIT\n";
      case 5: {  // a target deleted, from the site or added by the run
        if (targets_.empty()) return "PRINT no target\n";
        const Target& target = targets_[Below(static_cast<int>(targets_.size()))];
        deleted_.push_back(target);
        return target.dsm + ".DEL " + target.name + "\n";
      }
      case 6: {  // a target added: a new address, or one deleted before (added back)
        Target added{dsms_[Below(static_cast<int>(dsms_.size()))], "n" + std::to_string(++added_),
                     "10.3.0." + std::to_string(added_) + " public"};
        if (!deleted_.empty() && Below(2) == 0) {
          const Target& gone = deleted_[Below(static_cast<int>(deleted_.size()))];
          added.dsm = gone.dsm;
          added.identity = gone.identity;
        }
        objects_.push_back(added.name);
        targets_.push_back(added);
        return added.dsm + ".ADD -f " + added.name + " " + added.identity + "\n";
      }
      case 7: {  // a broker added to an agent, and sometimes deleted again
        const std::string name = "nb" + std::to_string(++added_);
        std::string lines = "a0.ADD -f " + name + " 10.4.0." + std::to_string(added_) + "\n";
        objects_.push_back(name);
        if (Below(3) == 0) lines += "a0.DEL " + name + "\n";
        return lines;
      }
      default:
        return some + ".SET POLL_INTERVAL " + std::to_string(Below(100)) + "\n";
    }
  }

  struct Target {
    std::string dsm, name, identity;  // identity: the address and community
  };

  std::mt19937 random_;
  std::string script_;  // the declarations
  std::vector<std::string> objects_, dsms_;
  std::vector<Target> targets_, deleted_;
  int entries_ = 0, added_ = 0;
};

int SeedCount() {
  const char* count = std::getenv("HXO_UNDO_SEEDS");
  return count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 30;
}

TEST(UndoProperty, TheUndoScriptRestoresWhatEachGeneratedRunChanged) {
  int differences = 0;
  const int seeds = SeedCount();
  for (int seed = 1; seed <= seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Generator generator(static_cast<unsigned>(seed));
    Folder folder;
    const std::string before = generator.Site();
    folder.Write("site.json", before);
    folder.Write("run.hxo", generator.Script());
    const Result run = folder.Program("--sim site.json --undo undo.hxo run.hxo");
    ASSERT_EQ(run.err.find("hxo_cmdline: the undo script"), std::string::npos) << run.err;
    EXPECT_EQ(folder.Program("--check undo.hxo").out, "");
    const Result undo = folder.Program("--sim site.json undo.hxo");
    EXPECT_EQ(undo.code, 0) << undo.err << folder.Read("undo.hxo");
    const bool same = Flattened(before) == Flattened(folder.Read("site.json"));
    EXPECT_TRUE(same) << folder.Read("run.hxo") << folder.Read("undo.hxo");
    differences += same ? 0 : 1;
  }
  std::printf("undo property: %d seeds, %d with a difference\n", seeds, differences);
}

}  // namespace
