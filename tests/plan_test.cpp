// The installation file through hxo_cmdline: opened before the script, written only by a change
// and only where it may be, and the dry run's plan against the same script run for real.
#include "sim/plan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>

#include <nlohmann/json.hpp>

#include "sim/site_reader.h"
#include "sim/site_writer.h"
#include "support.h"

namespace {

std::string Example() {
  std::stringstream text;
  text << std::ifstream(HXO_SOURCE_DIR "/examples/site.json").rdbuf();
  return text.str();
}

// Every file of the folder but the program's own with its bytes and modification time.
std::map<std::string, std::string> Contents(const Folder& folder) {
  std::map<std::string, std::string> files;
  for (const auto& file : std::filesystem::directory_iterator(folder.path)) {
    const std::string name = file.path().filename().string();
    if (name == "stdin" || name == "stdout" || name == "stderr" || name == "t.hxo") continue;
    struct stat info {};
    lstat(file.path().c_str(), &info);
    files[name] = folder.Read(name) + "@" + std::to_string(info.st_mtim.tv_nsec);
  }
  return files;
}

const char kCommit[] = "AGENT hq 127.0.0.1\nhq.SET POLL_INTERVAL 5\nhq.COMMIT\n";

TEST(SiteFile, OpenedBeforeTheScriptWithOneLine) {
  Folder folder;
  folder.Write("cut.json", Example().substr(0, 3000));
  folder.Write("bad.json", R"({"format": 1, "server": "K", "agents": [{"ipaddr": "1.2.3"}]})");
  const std::pair<std::string, Result> cases[] = {
      {"nope.json",
       {"", "hxo_cmdline: nope.json: cannot open the file: No such file or directory\n", 66}},
      {"bad.json",
       {"",
        "hxo_cmdline: bad.json: agents[0]: \"ipaddr\" must be a dotted-decimal IPv4 "
        "address such as 10.1.1.1\n",
        65}},
      {"cut.json",
       {"",
        "hxo_cmdline: cut.json: line 105, column 1030: syntax error while parsing "
        "value - invalid string: missing closing quote; last read: "
        "'\"2024-03-12 00:00:00 INFO  configuration...'\n",
        65}}};
  for (const auto& [file, expected] : cases) {
    Result result = folder.Program("--sim " + file + " -c 'PRINT hi'");
    EXPECT_EQ(result.out, expected.out) << file;
    EXPECT_EQ(result.err, expected.err) << file;
    EXPECT_EQ(result.code, expected.code) << file;
  }
  EXPECT_EQ(folder.Program("-c 'PRINT hi'", "", "ORBITANE_SIM=nope.json").code, 66);
}

TEST(SiteFile, WrittenThroughALinkNeverWhenProtectedOrReadOnlyOrOnlyRead) {
  Folder folder;
  std::filesystem::create_directory(folder.File("real"));
  folder.Write("real/site.json", Example());
  std::filesystem::create_symlink("real/site.json", folder.File("link.json"));
  folder.Write("t.hxo", kCommit);
  EXPECT_EQ(folder.Program("--sim link.json t.hxo").code, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.json")));
  EXPECT_NE(folder.Read("real/site.json").find("\"POLL_INTERVAL\": \"5\""), std::string::npos);

  // Reading logs (one of them fed), versions and listings writes nothing.
  folder.Write("site.json", Example());
  folder.Write("t.hxo",
               "AGENT hq 127.0.0.1\nhq.LOG -t 3\nhq.LOG\nhq.SPAWN b BROKER\n"
               "OBJECTS\nhq.LIST\nb.QPK\n");
  auto before = Contents(folder);
  Result result = folder.Program("--sim site.json t.hxo");
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Contents(folder), before);

  // --read-only and a file without write permission keep the file as it is.
  folder.Write("t.hxo", kCommit);
  before = Contents(folder);
  EXPECT_EQ(folder.Program("--read-only --sim site.json t.hxo").code, 0);
  EXPECT_EQ(Contents(folder), before);
  chmod(folder.File("site.json").c_str(), 0444);
  result = folder.Program("--sim site.json t.hxo");
  EXPECT_EQ(result.code, 23);
  EXPECT_EQ(LinesStartingWith(result.err, "orbitane sim:"),
            std::vector<std::string>{
                "orbitane sim: site.json: the file is not writable (mode 0444); "
                "nothing was written (use --read-only to try changes in memory only)"});
  chmod(folder.File("site.json").c_str(), 0644);
  EXPECT_EQ(Contents(folder), before);
}

// Every kind of change: the dry run writes nothing, and its plan is the difference that the same
// script makes when it runs for real.
TEST(DryRun, PlansExactlyWhatTheRealRunChanges) {
  const std::string script =
      "SET CONTINUE ON\nAGENT hq 127.0.0.1\nhq.SPAWN hb BROKER\nhb.SPAWN core dsm1\n"
      "core.SPAWN router 10.2.0.4\ncore.SPAWN switch 10.2.0.1\nhq.ADD nb 10.5.5.5\n"
      "core.ADD spare 10.2.7.7 lab\ncore.DEL switch\nhq.SET POLL_INTERVAL 5\nhq.UNSET LOG_LEVEL\n"
      "hq.SET MAX_QUEUE 1\nhq.RESET MAX_QUEUE\ncore.QPK 40 3\nrouter.QPK 60 -1\n"
      "core.PASSWORD dsm-secret\nALL.COMMIT\nhq.RUN reload\ncore.RUN reload\nhq.RUN reload\n";
  Folder rehearsal, real;
  for (const Folder* folder : {&rehearsal, &real}) {
    folder->Write("site.json", Example());
    folder->Write("t.hxo", script);
  }
  const auto before = Contents(rehearsal);
  Result dry = rehearsal.Program("--dry-run --sim site.json t.hxo");
  EXPECT_EQ(Contents(rehearsal), before);
  Result done = real.Program("--sim site.json t.hxo");
  EXPECT_EQ(dry.code, done.code);
  EXPECT_EQ(dry.err, done.err);

  std::string error;
  auto original = sim::ReadSite(Example(), error);
  auto changed = sim::ReadSite(real.Read("site.json"), error);
  ASSERT_TRUE(original && changed) << error;
  const std::string plan = sim::PlanText(*original, *changed, false);
  EXPECT_EQ(dry.out, done.out + plan);
  for (const char* line : {"  + Broker 10.5.5.5:5465\n", "      - Target 10.2.0.1@public\n",
                           "      + Target 10.2.7.7@lab\n", "  ~ POLL_INTERVAL: \"60\" -> \"5\"\n",
                           "  ~ LOG_LEVEL: \"INFO\" -> \"\"\n", "      ~ rule 40: (unset) -> 3\n",
                           "      ~ password: changed\n", "  > reload\n", "  > restart\n"}) {
    EXPECT_NE(plan.find(line), std::string::npos) << line << plan;
  }
  EXPECT_EQ(plan.find("MAX_QUEUE"), std::string::npos);
  EXPECT_EQ(plan.find("dsm-secret"), std::string::npos);
  EXPECT_EQ(plan.find("  > reload\n  > reload"), std::string::npos);  // once per node
  // A JSON plan keeps standard output to itself; the script's own output goes to standard error.
  const Result json = rehearsal.Program("--dry-run=json -c 'PRINT x'");
  EXPECT_EQ(json.out, "{\"complete\": true, \"format\": 1, \"changes\": []}\n");
  EXPECT_EQ(json.err, "x\n");
}

// Of two files, a journal that does not begin with the old one belongs to a new entry: all of it
// was sent. One that does was sent what follows.
TEST(Plan, OfTwoFilesListsTheCommandsOfAJournalThatDoesNotContinueTheOldOne) {
  auto siteWith = [](const std::string& journal) {
    std::string error;
    auto site = sim::ReadSite(R"({"format": 1, "server": "K", "agents": [{"ipaddr": "10.1.1.1", )"
                              R"("journal": [)" +
                                  journal + "]}]}",
                              error);
    EXPECT_TRUE(site) << error;
    return site;
  };
  const std::string agent = "Agent 10.1.1.1:5465\n";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {R"("restart")", R"("reload")", agent + "  > reload\n"},
      {R"("reload", "restart")", R"("reload")", agent + "  > reload\n"},
      {R"("reload")", R"("reload", "restart", "reload")", agent + "  > restart\n  > reload\n"},
      {R"("reload")", R"("reload")", "No changes.\n"},
  };
  for (const auto& [before, after, plan] : cases) {
    EXPECT_EQ(sim::PlanText(*siteWith(before), *siteWith(after), false), plan) << after;
  }
}

// An entry deleted and added back is a new entry: the plan removes the old one with all it held
// and adds the new one with everything sent to it, whatever the two journals hold (the same
// commands, fewer, or others).
TEST(DryRun, PlansAnEntryDeletedAndAddedBackAsRemovedAndAdded) {
  const std::string site = R"({"format": 1, "server": "KORAS",
    "rules": [{"number": 40, "description": "CPU load high"}],
    "agents": [{"ipaddr": "127.0.0.1", "journal": ["restart"], "brokers": [
      {"ipaddr": "127.0.0.1", "local": true, "version": "4.1", "dsms": [{"name": "dsm1", "targets": [
        {"ipaddr": "10.2.0.1", "journal": ["reload"], "properties": {"POLL_INTERVAL": "60"}},
        {"ipaddr": "10.2.0.2", "journal": ["restart", "reload"]}]}]},
      {"ipaddr": "10.1.1.30", "version": "4.1", "journal": ["update"]}]}]})";
  const std::string declare =
      "SET CONTINUE ON\nAGENT hq 127.0.0.1\nhq.SPAWN b BROKER\nb.SPAWN d dsm1\n";
  const std::string dsm = "Agent 127.0.0.1:5465\n  Broker 127.0.0.1:5465\n    DSM dsm1\n";
  const std::pair<std::string, std::string> cases[] = {
      {"d.SPAWN t 10.2.0.1\nd.DEL t\nd.ADD t 10.2.0.1\nt.RUN reload\n",
       dsm + "      - Target 10.2.0.1@public\n      + Target 10.2.0.1@public\n        > reload\n"},
      {"d.SPAWN t 10.2.0.2\nd.DEL t\nd.ADD t 10.2.0.2\nt.RUN reload\nt.RUN restart\n",
       dsm + "      - Target 10.2.0.2@public\n      + Target 10.2.0.2@public\n        > reload\n"
             "        > restart\n"},
      {"hq.SPAWN o 10.1.1.30\nhq.DEL o\nhq.ADD -f o 10.1.1.30\no.RUN update\no.COMMIT\n",
       "Agent 127.0.0.1:5465\n  - Broker 10.1.1.30:5465\n  + Broker 10.1.1.30:5465\n    > "
       "update\n"},
      {"d.SPAWN t 10.2.0.2\nd.DEL t\nd.ADD t 10.2.0.2\nt.QPK 40 3\nt.COMMIT\n",
       "Agent 127.0.0.1:5465\n  > restart\n  Broker 127.0.0.1:5465\n    DSM dsm1\n"
       "      - Target 10.2.0.2@public\n      + Target 10.2.0.2@public\n"
       "        ~ rule 40: (unset) -> 3\n"},
  };
  for (const auto& [script, plan] : cases) {
    Folder rehearsal, real;
    for (const Folder* folder : {&rehearsal, &real}) {
      folder->Write("site.json", site);
      folder->Write("t.hxo", declare + script);
    }
    Result dry = rehearsal.Program("--dry-run --sim site.json t.hxo");
    Result done = real.Program("--sim site.json t.hxo");
    EXPECT_EQ(dry.out, done.out + plan) << script;
    EXPECT_EQ(dry.err, done.err) << script;
    EXPECT_EQ(dry.code, done.code) << script;
  }
}

}  // namespace

namespace {

// A script that declares every node of the site and lists everything about each: OBJECTS, then
// LIST, SET, QPK and the last 20 lines of the current log of each node.
std::string WalkEverything(const sim::Site& site) {
  std::string declare = "SET LINES 0\nSET CONTINUE ON\n", show = "OBJECTS\n";
  std::function<void(const sim::Entry&, const std::string&)> walk = [&](const sim::Entry& entry,
                                                                        const std::string& name) {
    for (const char* command : {".LIST\n", ".SET\n", ".QPK\n", ".LOG -t 20\n"}) {
      show += name + command;
    }
    if (const auto& autoconfig = entry.Details().autoconfig) {
      declare += name + ".SPAWN " + name + "c AUTOCONFIG\n";
      walk(*autoconfig, name + "c");
    }
    int n = 0;
    for (const auto& child : entry.children.InOrder()) {
      if (child == nullptr) continue;
      const std::string childName = name + "_" + std::to_string(n++);
      declare += name + ".SPAWN " + childName + " " +
                 (child->kind == sim::Kind::Dsm ? child->name : child->ipaddr) + " " +
                 (child->kind == sim::Kind::Broker   ? std::to_string(child->port)
                  : child->kind == sim::Kind::Target ? std::string(child->community)
                                                     : "") +
                 "\n";
      walk(*child, childName);
    }
  };
  int n = 0;
  for (const auto& agent : site.root->children.InOrder()) {
    const std::string name = "a" + std::to_string(n++);
    declare += "AGENT " + name + " " + agent->ipaddr + "\n";
    walk(*agent, name);
  }
  return declare + show;
}

// A rehearsal on a snapshot accepts any user as any password, says in the file and beside its
// plan what a snapshot cannot know, and keeps that note when it writes the file back.
TEST(Snapshot, SaysWhatItCannotKnow) {
  Folder folder;
  folder.Write("declare.hxo", "AGENT a 127.0.0.1\n");
  ASSERT_EQ(folder.Program("--snapshot snap.json declare.hxo").code, 0);
  EXPECT_NE(folder.Read("snap.json").find("\"comment\": \"A snapshot"), std::string::npos);
  folder.Write("change.hxo", "AUTH KORAS operator secret\nAGENT a 127.0.0.1\nPRINT in\n");
  Result result = folder.Program("--sim snap.json change.hxo");
  EXPECT_EQ(result.out, "in\n");
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(folder.Read("snap.json").find("\"comment\": \"A snapshot"), std::string::npos);

  const std::string limits = "hxo_cmdline: this installation is a snapshot: it cannot tell";
  result = folder.Program("--sim snap.json --dry-run declare.hxo");
  EXPECT_EQ(result.err.rfind(limits, 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_EQ(folder.Program("--dry-run declare.hxo").err, "");
}

TEST(Snapshot, OfTheBuiltInInstallationListsTheSameAsTheOriginal) {
  std::string error;
  auto site = sim::ReadSite(Example(), error);
  ASSERT_TRUE(site) << error;
  Folder folder;
  folder.Write("walk.hxo", WalkEverything(*site));
  folder.Write("declare.hxo", "AGENT a 127.0.0.1\nAGENT b 10.1.1.1\nAGENT again 127.0.0.1\n");
  ASSERT_EQ(folder.Program("--snapshot snap.json declare.hxo").code, 0);
  EXPECT_EQ(folder.Read("snap.json").find("op-secret"), std::string::npos);
  Result original = folder.Program("walk.hxo");
  Result copy = folder.Program("--read-only --sim snap.json walk.hxo");
  // A growing log ("log_feed") shows its next line when LOG reaches its end; that growth is not
  // something the interface tells, so the copy's log does not grow.
  const std::string fed = site->root->children.InOrder().front()->Details().logFeed.front() + "\n";
  ASSERT_NE(original.out.find(fed), std::string::npos);
  original.out.erase(original.out.find(fed), fed.size());
  EXPECT_EQ(copy.out, original.out);
  EXPECT_EQ(copy.err, original.err);
  EXPECT_EQ(copy.code, original.code);
  EXPECT_GT(original.out.size(), 30000u);

  EXPECT_EQ(folder.Program("--snapshot s.json -c 'PRINT x'").err,
            "hxo_cmdline: no snapshot: the script did not authenticate: there is nothing to take "
            "a snapshot of\n");
}

// A site of every kind of node with texts that need escapes, declared out of order and one agent
// twice: the snapshot's bytes, as snapshots have always been laid out.
const char kEscapesSite[] =
    R"({"format": 1, "server": "KORAS", "users": {"root": "", "op": "pw"}, "unreachable": ["10.9.9.9"],
 "rules": [{"number": 3, "description": "quote \" back \\ tab\t"}, {"number": 12, "description": "Interface down"}],
 "agents": [
  {"ipaddr": "10.1.1.1", "password": "apw", "properties": {"A\tB": "v\r\n\u0001\u007f\b\f", "uni": "é✓", "empty": ""},
   "logs": ["one\ttwo\n", "backup\n"], "journal": ["reload"], "commands": ["restart"],
   "brokers": [
     {"ipaddr": "10.1.1.2", "port": 6000, "alive": false, "log_feed": ["a"]},
     {"ipaddr": "10.1.1.1", "local": true, "version": "4.1\tx", "password": "bpw",
      "autoconfig": {"properties": {"SCHEDULE": "daily"}, "logs": ["ac\n"], "alive": false},
      "reconfig": {"polls": 2, "result": 1},
      "dsms": [{"name": "Dsm1", "properties": {"x": "1"},
                "targets": [{"ipaddr": "10.2.0.1"}, {"ipaddr": "10.2.0.3", "community": "priv\"ate", "alive": false, "logs": [""]}]},
               {"name": "DSM2"}]}]},
  {"ipaddr": "10.1.1.3", "port": 1},
  {"ipaddr": "10.1.1.4", "brokers": [{"ipaddr": "10.1.1.5", "fail": ["GetNamedDataItem"], "version": "9", "logs": ["l\n"]}]}]})";

TEST(Snapshot, KeepsItsLayout) {
  Folder folder;
  folder.Write("site.json", kEscapesSite);
  folder.Write("declare.hxo",
               "AUTH koras root\nAGENT z 10.1.1.3 1\nAGENT a 10.1.1.1 5465 apw\nAGENT b 10.1.1.4\n"
               "AGENT a2 10.1.1.1 5465 apw\n");
  Result result = folder.Program("--read-only --sim site.json --snapshot snap.json declare.hxo");
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(folder.Read("snap.json"),
            R"({"format": 1, "server": "koras",
"comment": "A snapshot: taken through the interface, it cannot carry what the interface does not tell: which addresses answer (ADD of an address succeeds here where the installation may refuse it) nor the passwords (any user and any password are accepted).",
"any_password": true, "users": {"root": ""},
"rules": [
{"number": 3, "description": "quote \" back \\ tab\u0009"},
{"number": 12, "description": "Interface down"}],
"agents": [
{"ipaddr": "10.1.1.1", "port": 5465, "properties": {"A\u0009B": "v\u000d\n\u0001)"
            "\x7f"
            R"(\u0008\u000c", "empty": "", "uni": "é✓"}, "logs": ["one\u0009two\n"], "brokers": [
{"ipaddr": "10.1.1.2", "port": 6000, "alive": false, "properties": {}, "dsms": []},
{"ipaddr": "10.1.1.1", "port": 5465, "local": true, "version": "4.1\u0009x", "properties": {}, "autoconfig": {"alive": false, "properties": {"SCHEDULE": "daily"}, "logs": ["ac\n"]}, "dsms": [
{"name": "Dsm1", "properties": {"x": "1"}, "targets": [
{"ipaddr": "10.2.0.1", "community": "public", "properties": {}},
{"ipaddr": "10.2.0.3", "community": "priv\"ate", "alive": false, "properties": {}, "logs": [""]}]},
{"name": "DSM2", "properties": {}, "targets": []}]}]},
{"ipaddr": "10.1.1.4", "port": 5465, "properties": {}, "brokers": [
{"ipaddr": "10.1.1.5", "port": 5465, "properties": {}, "dsms": []}]},
{"ipaddr": "10.1.1.3", "port": 1, "properties": {}, "brokers": []}]}
)");
}

// A snapshot and the write-back are two layouts of one format: read back, the snapshot holds
// what the write-back holds of the same agents, less what the interface does not tell.
TEST(Snapshot, HoldsWhatTheWriteBackHolds) {
  std::string error;
  auto site = sim::ReadSite(kEscapesSite, error);
  ASSERT_TRUE(site) << error;
  std::vector<sim::SnapshotAgent> agents;
  for (const auto& agent : site->root->children.InOrder()) agents.push_back({agent, ""});
  std::optional<std::string> snapshot = sim::WriteSnapshot(*site, agents, "KORAS", "root", error);
  ASSERT_TRUE(snapshot) << error;

  nlohmann::json expected = nlohmann::json::parse(sim::WriteSite(*site));
  expected["users"] = {{"root", ""}};
  expected["any_password"] = true;
  expected["comment"] = sim::kSnapshotComment;
  expected.erase("unreachable");
  std::function<void(nlohmann::json&)> untold = [&](nlohmann::json& node) {
    const bool itemsFail = node.contains("fail") && node["fail"][0] == "GetNamedDataItem";
    for (const char* key : {"password", "log_feed", "commands", "fail", "journal", "reconfig"}) {
      node.erase(key);
    }
    if (itemsFail) node.erase("logs"), node.erase("version");
    if (node.contains("logs")) node["logs"] = {node["logs"][0]};
    if (node.contains("autoconfig")) untold(node["autoconfig"]);
    for (const char* list : {"brokers", "dsms", "targets"}) {
      if (node.contains(list)) {
        for (auto& child : node[list]) untold(child);
      }
    }
  };
  for (auto& agent : expected["agents"]) untold(agent);
  EXPECT_EQ(nlohmann::json::parse(*snapshot), expected);
}

}  // namespace
