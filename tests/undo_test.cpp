// --undo: the script that takes the installation back after a real run. The property test runs
// generated sites and scripts for real with --undo, runs the undo script, and the installation's
// entries, properties and rule values are what they were.
//
// Compared: the entries by identity (agent and broker address and port, DSM name, target address
// and community, an autoconfig object by its broker), every property, and the rule values of
// qpk_own and qpk_inherited as numbers and values. Set aside, as bookkeeping that no command sets:
// journals (the commands sent), logs, versions, reconfiguration state, the order of children, the
// "local" mark and the load ids; a property that is absent and one that is empty count as the same,
// since the language can only empty a property and COMMIT writes empty rule values.
//
// HXO_UNDO_SEEDS sets the number of seeds of the property test (30 by default);
// bench/undo_seeds.sh runs 300.
#include <map>
#include <random>
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

  // The rule numbers have two digits each: their text order is their order.
  static std::string RuleText(const std::map<std::string, std::string>& values) {
    std::string text;
    for (const auto& [rule, value] : values) text += (text.empty() ? "" : " ") + rule + " " + value;
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

TEST(UndoProperty, TheUndoScriptRestoresWhatEachGeneratedRunChanged) {
  int differences = 0;
  const char* count = std::getenv("HXO_UNDO_SEEDS");
  const int seeds = count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 30;
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

// The worked example of docs/planning-changes.md: a target added, one deleted, a property, a rule
// value and a password changed, a DSM deleted; the script written, and what it brings back.
TEST(Undo, TheWorkedExampleComesBackButForWhatNoCommandCreates) {
  Folder folder;
  std::filesystem::copy_file(HXO_SOURCE_DIR "/examples/site.json", folder.File("site.json"));
  const std::string before = folder.Read("site.json");
  folder.Write("deploy.hxo",
               "AGENT hq 127.0.0.1\nhq.SPAWN hqbroker BROKER\nhqbroker.SPAWN core dsm1\n"
               "core.ADD lab 10.2.7.7 lab-ro\ncore.SPAWN router 10.2.0.4\n"
               "router.SET POLL_INTERVAL 30\ncore.SPAWN switch 10.2.0.1\ncore.DEL switch\n"
               "hqbroker.SPAWN old dsm2\nhqbroker.DEL old\ncore.QPK 40 3\n"
               "core.PASSWORD n3w-secret\nALL.COMMIT\n");
  const Result run = folder.Program("--sim site.json --undo undo.hxo deploy.hxo");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err,
            "hxo_cmdline: the undo script cannot add back DSM dsm2 of Broker 127.0.0.1:5465 with "
            "the 2 entries below it: no command creates a DSM\n");
  const std::string undo = folder.Read("undo.hxo");
  EXPECT_EQ(undo.rfind("# Undo script made by hxo_cmdline --undo at ", 0), 0u) << undo;
  EXPECT_NE(undo.find("\n# from the run of deploy.hxo on the installation in /"),
            std::string::npos);
  EXPECT_NE(undo.find("#   - the password of DSM dsm1 was changed: it stays as it is;\n"),
            std::string::npos);
  EXPECT_EQ(undo.substr(undo.find("\nAGENT a1") + 1),
            "AGENT a1 127.0.0.1 5465\na1.SPAWN b1 127.0.0.1 5465\nb1.SPAWN d1 dsm1\n"
            "d1.QPK 40 -1\nd1.COMMIT\nd1.SPAWN t1 10.2.7.7 lab-ro\nd1.DEL t1\n"
            "d1.ADD -f t2 10.2.0.1 public\nt2.UNSET DESCRIPTION\n"
            "t2.SET DESCRIPTION switch at 10.2.0.1\nt2.UNSET POLL_INTERVAL\n"
            "t2.SET POLL_INTERVAL 300\nt2.COMMIT\nd1.SPAWN t3 10.2.0.4 public\n"
            "t3.SET POLL_INTERVAL 60\nt3.COMMIT\n");
  EXPECT_EQ(folder.Program("--check undo.hxo").code, 0);
  EXPECT_EQ(folder.Program("--sim site.json undo.hxo").code, 0);
  // Back: all but dsm2 and what the notes name (inherited rule values the file held apart from
  // what COMMIT writes).
  std::map<std::string, std::string> was = Flattened(before),
                                     now = Flattened(folder.Read("site.json"));
  for (auto* side : {&was, &now}) {
    for (auto& [path, text] : *side) text = text.substr(0, text.rfind("| "));
    std::erase_if(
        *side, [](const auto& item) { return item.first.find("DSM dsm2") != std::string::npos; });
  }
  EXPECT_EQ(was, now);
}

// What is refused, and where a script with nothing to restore and one that stopped leave it.
TEST(Undo, RefusalsAndRunsThatChangeLittle) {
  const ShellRow rows[] = {
      {"a dry run", "$HXO --dry-run --undo u.hxo -c 'PRINT x'; echo $?; test -e u.hxo || echo none",
       "", "64\nnone\n",
       "hxo_cmdline: --undo needs a real run: a dry run changes nothing\n"
       "Try 'hxo_cmdline --help'.\n",
       0},
      {"no file", "$HXO -c 'PRINT x' --undo", "", "",
       "hxo_cmdline: missing value after --undo\nTry 'hxo_cmdline --help'.\n", 64},
      {"an empty file name", "$HXO --undo= -c 'PRINT x'", "", "",
       "hxo_cmdline: missing value after --undo=\nTry 'hxo_cmdline --help'.\n", 64},
      {"the installation file",
       "cp $SITE s.json; $HXO --sim s.json --undo s.json -c 'PRINT x'; echo $?; cmp s.json $SITE",
       "", "64\n",
       "hxo_cmdline: --undo s.json names the installation file\nTry 'hxo_cmdline --help'.\n", 0},
      {"the script", "echo 'PRINT x' > t.hxo; $HXO --undo ./t.hxo t.hxo; echo $?; cat t.hxo", "",
       "64\nPRINT x\n", "hxo_cmdline: --undo ./t.hxo names the script\nTry 'hxo_cmdline --help'.\n",
       0},
      {"a folder", "mkdir d; $HXO --undo d -c 'PRINT x'", "", "x\n",
       "hxo_cmdline: no undo script: d: is a folder\n", 73},
      {"nothing changed", "$HXO --undo u.hxo -c 'PRINT x' && grep -v '^#' u.hxo", "", "x\n\n", "",
       0},
      {"a script that stopped",
       "cp $SITE s.json; printf 'AGENT hq 127.0.0.1\\nhq.SET POLL_INTERVAL 5\\nhq.COMMIT\\n"
       "hq.SET NOPE 1\\nhq.SET POLL_INTERVAL 7\\nhq.COMMIT\\n' > t.hxo;"
       "$HXO --sim s.json --undo u.hxo t.hxo 2>/dev/null; echo $?; grep -v '^#' u.hxo",
       "", "19\n\nAGENT a1 127.0.0.1 5465\na1.SET POLL_INTERVAL 60\na1.COMMIT\n", "", 0},
      {"a broker deleted: added again, its DSM named",
       "cp $SITE s.json; printf 'AGENT hq 127.0.0.1\\nhq.SPAWN r 10.1.1.20 5466\\nhq.DEL r\\n' > "
       "t.hxo;"
       "$HXO --sim s.json --undo u.hxo t.hxo && grep -v '^#' u.hxo",
       "",
       "\nAGENT a1 127.0.0.1 5465\na1.ADD -f b1 10.1.1.20 5466\nb1.UNSET EVENT_BUFFER\n"
       "b1.SET EVENT_BUFFER 2000\nb1.UNSET FORWARD_TO\nb1.SET FORWARD_TO KORAS\nb1.COMMIT\n",
       "hxo_cmdline: the undo script cannot add back DSM remote of Broker 10.1.1.20:5466 with the "
       "2 "
       "entries below it: no command creates a DSM\n",
       0},
  };
  ExpectShellRows(rows);
}

}  // namespace
