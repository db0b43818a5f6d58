// Fuzz target: the plan of a dry run against the change that the same script makes when it runs
// for real. The input is not text but a list of choices: the first shape a small site (its
// agents, brokers, DSMs and targets, their journals, properties and passwords), the rest pick
// script lines from the commands that change an installation (their objects, names, addresses
// and values from small pools, so that most lines are valid and reach each other's objects). A
// minute of fuzzing then reaches scripts that delete, add back, change and commit, instead of
// lines that fail to parse.
//
// Each input runs twice in this process, on two copies of the site: once read-only (the dry run)
// and once writing its file back (the real run). Then:
//   - both runs print the same and end with the same result code;
//   - the dry run's installation writes out as the bytes the real run left in its file, and so
//     does the real run's own installation;
//   - the dry run's plan, text and JSON, is the plan of the real run's installation against the
//     site as it was;
//   - the JSON plan adds, removes and sends exactly what the entries' load ids tell: an entry made
//     by the run is added (one deleted and added back too), one gone is removed (below a removed
//     one, nothing more), and a kept entry's commands are what its journal gained.
// Anything else aborts, as a crash would. The lines never wait (no reconfig, whose end is polled
// every two seconds), read input or reach outside the process, which works in a folder of its own.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <nlohmann/json.hpp>

#include "engine_sandbox.h"
#include "hxo/hxo.h"
#include "sim/identity.h"
#include "sim/library.h"
#include "sim/plan.h"
#include "sim/site_reader.h"
#include "sim/site_writer.h"

namespace {

std::string folder;
int reportFd = 2;  // standard error as it was before libFuzzer closed it (-close_fd_mask=2)

template <size_t N>
const char* Pick(FuzzedDataProvider& choices, const char* const (&pool)[N]) {
  return pool[choices.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// What any node of the site may carry: a journal, properties (rule values among them) and, but
// on an autoconfig object or a target, a password.
std::string NodeExtras(FuzzedDataProvider& choices, bool password = true) {
  static const char* const kJournals[] = {
      "", R"("journal": ["reload"], )", R"("journal": ["restart"], )",
      R"("journal": ["reload", "restart"], )", R"("journal": ["update", "reload", "update"], )"};
  static const char* const kProperties[] = {
      "", R"("properties": {"POLL_INTERVAL": "60"}, )",
      R"("properties": {"LOG_LEVEL": "INFO", "qpk_own": "12 5"}, )",
      R"("properties": {"qpk_inherited": "30 3", "POLL_INTERVAL": "5"}, )"};
  static const char* const kPasswords[] = {"", "", R"("password": "pw", )"};
  return std::string(Pick(choices, kJournals)) + Pick(choices, kProperties) +
         (password ? Pick(choices, kPasswords) : "");
}

// A JSON list's objects, made by item(0) to item(count - 1).
template <class Item>
std::string Items(int count, Item item) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += i == 0 ? "{" : ", {";
    text += item(i);
    text += "}";
  }
  return text;
}

// A site of up to two agents, each with its local broker and maybe a second one, up to two DSMs
// under a broker and up to three targets under a DSM.
std::string GenerateSite(FuzzedDataProvider& choices) {
  static const char* const kAgents[] = {"127.0.0.1", "10.1.1.1"};
  static const char* const kDsms[] = {"dsm1", "dsm2"};
  static const char* const kTargets[] = {R"("ipaddr": "10.2.0.1")",
                                         R"("ipaddr": "10.2.0.2", "community": "lab")",
                                         R"("ipaddr": "10.2.0.3")"};
  std::string site =
      R"({"format": 1, "server": "KORAS", "users": {"root": ""}, "unreachable": ["10.9.9.9"],)"
      R"( "rules": [{"number": 12, "description": "a"}, {"number": 30, "description": "b"},)"
      R"( {"number": 40, "description": "c"}], "agents": [)";
  // Statements, not one expression: the choices must be taken in the same order everywhere.
  site += Items(choices.ConsumeIntegralInRange(1, 2), [&](int a) {
    std::string agent = NodeExtras(choices) + "\"ipaddr\": \"" + kAgents[a] + "\", \"brokers\": [";
    agent += Items(choices.ConsumeIntegralInRange(0, 2), [&](int b) {
      std::string broker = NodeExtras(choices);
      broker += b == 0 ? std::string("\"ipaddr\": \"") + kAgents[a] + "\", \"local\": true, "
                       : std::string("\"ipaddr\": \"10.1.1.30\", ");
      if (choices.ConsumeBool()) {
        broker += "\"autoconfig\": {" + NodeExtras(choices, false) + "\"alive\": true}, ";
      }
      broker += "\"version\": \"4.1\", \"dsms\": [";
      broker += Items(choices.ConsumeIntegralInRange(0, 2), [&](int d) {
        std::string dsm = NodeExtras(choices) + "\"name\": \"" + kDsms[d] + "\", \"targets\": [";
        dsm += Items(choices.ConsumeIntegralInRange(0, 3),
                     [&](int t) { return NodeExtras(choices, false) + kTargets[t]; });
        return dsm + "]";
      });
      return broker + "]";
    });
    return agent + "]";
  });
  return site + "]}";
}

// The names the prologue gives the site's nodes, where it has them: agents a0 (127.0.0.1) and a1
// (10.1.1.1), a0's brokers b0 (local) and b1 (10.1.1.30), b0's autoconfig object c0 and DSMs d0
// and d1, d0's targets t0, t1 and t2.
constexpr char kPrologue[] =
    "SET CONTINUE ON\nSET LINES 0\nAGENT a0 127.0.0.1\nAGENT a1 10.1.1.1\na0.SPAWN b0 BROKER\n"
    "a0.SPAWN b1 10.1.1.30\nb0.SPAWN c0 AUTOCONFIG\nb0.SPAWN d0 dsm1\nb0.SPAWN d1 dsm2\n"
    "d0.SPAWN t0 10.2.0.1\nd0.SPAWN t1 10.2.0.2 lab\nd0.SPAWN t2 10.2.0.3\n";

// One script line: a command of the table with its object, names and arguments from the pools.
// The kind of line is chosen first, changes more often than reads.
std::string GenerateLine(FuzzedDataProvider& choices) {
  enum Line { Add, Del, Set, Commit, Run, Qpk, Password, Unset, Reset, Spawn, Read, Other };
  static const Line kLines[] = {Add,      Add,    Add,    Del,    Del,   Del,  Set,
                                Set,      Commit, Commit, Commit, Run,   Run,  Qpk,
                                Password, Unset,  Reset,  Spawn,  Spawn, Read, Other};
  static const char* const kNames[] = {"a0", "b0", "b1", "c0", "d0", "d1",
                                       "t0", "t1", "t2", "a1", "n0", "n1"};
  static const char* const kObjects[] = {"a0", "b0", "b1",  "c0",    "d0",     "d1",  "t0",    "t1",
                                         "t2", "a1", "ALL", "AGENT", "BROKER", "DSM", "TARGET"};
  // Addresses with what may follow them (port or community, password), on the site or not.
  static const char* const kIdentities[] = {
      "10.2.0.1",  "10.2.0.2 lab",      "10.2.0.3", "10.2.0.1 lab", "127.0.0.1",
      "10.1.1.30", "10.1.1.30 5466 pw", "10.5.5.5", "10.9.9.9",     "10.2.0.3 public pw"};
  static const char* const kSpawnForms[] = {" BROKER", " AUTOCONFIG", " dsm1", " DSM2", " dsm3"};
  static const char* const kProperties[] = {"POLL_INTERVAL", "LOG_LEVEL", "MAX_QUEUE", "qpk_own"};
  static const char* const kValues[] = {"5", "60", "", "a b", "INFO", "12 7", "\xff"};
  static const char* const kRules[] = {"12", "30", "40", "99"};
  static const char* const kRuleValues[] = {"0", "3", "10", "-1", "DEFAULT", "11"};
  static const char* const kCommands[] = {"reload", "restart", "update", "bogus"};
  static const char* const kReads[] = {".LIST", ".SET", ".QPK", ".SET POLL_INTERVAL"};
  static const char* const kOthers[] = {"OBJECTS", "DROP ", "SET CONTINUE OFF", "AGENT ",
                                        "SET CONTINUE ON"};
  const Line line = kLines[choices.ConsumeIntegralInRange<size_t>(0, std::size(kLines) - 1)];
  const std::string object = Pick(choices, kObjects);
  const std::string name = Pick(choices, kNames);
  switch (line) {
    case Add:
      return object + ".ADD " + (choices.ConsumeBool() ? "-f " : "") + name + " " +
             Pick(choices, kIdentities);
    case Del:
      return object + ".DEL " + (choices.ConsumeBool() ? std::string("ALL") : name);
    case Set:
      return object + ".SET " + Pick(choices, kProperties) + " " + Pick(choices, kValues);
    case Commit:
      return object + ".COMMIT";
    case Run:
      return object + ".RUN " + Pick(choices, kCommands);
    case Qpk:
      return object + ".QPK " + Pick(choices, kRules) + " " + Pick(choices, kRuleValues);
    case Password:
      return object + ".PASSWORD" + (choices.ConsumeBool() ? " s3cret" : "");
    case Unset:
      return object + ".UNSET " + Pick(choices, kProperties);
    case Reset:
      return object + ".RESET " + Pick(choices, kProperties);
    case Spawn:
      return object + ".SPAWN " + name +
             (choices.ConsumeBool() ? Pick(choices, kSpawnForms)
                                    : std::string(" ") + Pick(choices, kIdentities));
    case Read:
      return object + Pick(choices, kReads);
    case Other:
      break;
  }
  const std::string other = Pick(choices, kOthers);
  if (other == "DROP ") return other + name;
  if (other == "AGENT ") return other + name + (choices.ConsumeBool() ? " 127.0.0.1" : " 10.9.9.9");
  return other;
}

struct Run {
  int code = 0;
  std::string output;
  std::string written;  // the run's installation as a site file
  std::string plan, jsonPlan;
  std::shared_ptr<sim::Site> site;  // the run's installation, kept after the session ends
};

[[noreturn]] void Differ(const char* what, const std::string& script, const std::string& a,
                         const std::string& b) {
  dprintf(reportFd, "%s\n--- script\n%s--- dry run\n%s--- real run\n%s", what, script.c_str(),
          a.c_str(), b.c_str());
  std::abort();
}

// Runs the script on the file, read-only or not, and ends the session as a new process would.
Run RunOn(const std::string& file, bool dry, const std::string& original,
          const std::string& script) {
  setenv("ORBITANE_SIM", file.c_str(), 1);
  if (dry) {
    setenv("ORBITANE_SIM_READONLY", "1", 1);
  } else {
    unsetenv("ORBITANE_SIM_READONLY");
  }
  Run run;
  char* output = nullptr;
  run.code = HXO_ExecuteCommandsGetOutput(script.c_str(), &output);
  run.output = output != nullptr ? output : "";
  std::free(output);
  sim::Library& library = sim::Library::Get();
  run.site = library.EnsureSite();
  if (!run.site) std::abort();  // the generated site always loads
  const sim::Site& site = *run.site;
  run.written = sim::WriteSite(site);
  if (dry) {
    run.plan = library.Plan(false).value_or("(none)");
    run.jsonPlan = library.Plan(true).value_or("(none)");
  } else {
    std::string error;
    const std::shared_ptr<sim::Site> before = sim::ReadSite(original, error);
    run.plan = sim::PlanText(*before, site, false);
    run.jsonPlan = sim::PlanText(*before, site, true);
  }
  engine_sandbox::EndSession();
  return run;
}

using Change = std::tuple<std::string, std::vector<std::string>, std::string>;  // op, path, command

void CollectIds(const sim::Entry& entry, std::set<uint64_t>& ids) {
  ids.insert(entry.id);
  if (entry.Details().autoconfig) CollectIds(*entry.Details().autoconfig, ids);
  for (const auto& child : entry.children.InOrder()) {
    if (child) CollectIds(*child, ids);
  }
}

// The adds and commands that the real run's installation tells by its entries' ids, below entry.
void ExpectAfter(const sim::Site& before, const sim::Site& after, const sim::Entry& entry,
                 std::vector<std::string>& path, std::set<Change>& expected) {
  auto visit = [&](const sim::Entry& child) {
    path.push_back(sim::Describe(child));
    const bool added = child.id >= after.firstAddedId;
    if (added) expected.insert({"add", path, ""});
    const std::vector<std::string>& journal = child.Details().journal;
    size_t from = 0;
    if (!added) {
      const std::shared_ptr<sim::Entry> old =
          child.id < before.byId.size() ? before.byId[child.id].lock() : nullptr;
      if (!old) std::abort();  // a loaded entry is in both loads of the same text
      from = old->Details().journal.size();
    }
    for (size_t i = from; i < journal.size(); ++i) expected.insert({"command", path, journal[i]});
    ExpectAfter(before, after, child, path, expected);
    path.pop_back();
  };
  if (entry.Details().autoconfig) visit(*entry.Details().autoconfig);
  for (const auto& child : entry.children.InOrder()) {
    if (child) visit(*child);
  }
}

// The removes: entries of before whose id the run's installation no longer holds, the topmost.
void ExpectRemoved(const sim::Entry& entry, const std::set<uint64_t>& live,
                   std::vector<std::string>& path, std::set<Change>& expected) {
  auto visit = [&](const sim::Entry& child) {
    path.push_back(sim::Describe(child));
    if (live.count(child.id) == 0) {
      expected.insert({"remove", path, ""});
    } else {
      ExpectRemoved(child, live, path, expected);
    }
    path.pop_back();
  };
  if (entry.Details().autoconfig) visit(*entry.Details().autoconfig);
  for (const auto& child : entry.children.InOrder()) {
    if (child) visit(*child);
  }
}

std::set<Change> Planned(const std::string& jsonPlan) {
  std::set<Change> planned;
  const nlohmann::json plan = nlohmann::json::parse(jsonPlan);
  for (const auto& change : plan["changes"]) {
    const std::string op = change["op"];
    if (op != "add" && op != "remove" && op != "command") continue;
    planned.insert({op, change["path"].get<std::vector<std::string>>(),
                    op == "command" ? change["command"].get<std::string>() : ""});
  }
  return planned;
}

std::string Show(const std::set<Change>& changes) {
  std::string text;
  for (const auto& [op, path, command] : changes) {
    text += op;
    for (const std::string& part : path) text += " / " + part;
    text += command.empty() ? "\n" : " > " + command + "\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  reportFd = dup(2);  // called before libFuzzer closes it
  // Every write-back syncs its file: a folder in memory keeps that cheap.
  folder = engine_sandbox::Enter({"/dev/shm/hxo-plan-fuzz-XXXXXX", "/tmp/hxo-plan-fuzz-XXXXXX"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider choices(data, size);
  std::string error;
  const std::shared_ptr<sim::Site> generated = sim::ReadSite(GenerateSite(choices), error);
  if (!generated) {
    dprintf(reportFd, "the generated site does not load: %s\n", error.c_str());
    std::abort();
  }
  const std::string original = sim::WriteSite(*generated);  // as a write-back spells it
  std::string script = kPrologue;
  for (int lines = 0; lines < 40 && choices.remaining_bytes() > 0; ++lines) {
    script += GenerateLine(choices) + "\n";
  }
  for (const char* file : {"dry.json", "real.json"}) std::ofstream(file) << original;

  const Run dry = RunOn(folder + "/dry.json", true, original, script);
  const Run real = RunOn(folder + "/real.json", false, original, script);
  std::stringstream file;
  file << std::ifstream(folder + "/real.json").rdbuf();

  if (dry.code != real.code) {
    Differ("the result codes differ", script, std::to_string(dry.code), std::to_string(real.code));
  }
  if (dry.output != real.output) Differ("the outputs differ", script, dry.output, real.output);
  if (real.written != file.str()) {
    Differ("the real run holds other than it wrote", script, real.written, file.str());
  }
  if (dry.written != file.str()) {
    Differ("the dry run holds other than the real run wrote", script, dry.written, file.str());
  }
  if (dry.plan != real.plan) Differ("the plans differ", script, dry.plan, real.plan);
  if (dry.jsonPlan != real.jsonPlan)
    Differ("the plans differ", script, dry.jsonPlan, real.jsonPlan);

  // What the ids tell: both the original, read again, and the real run's installation number
  // their loaded entries in the order of the same text.
  const std::shared_ptr<sim::Site> before = sim::ReadSite(original, error);
  std::set<Change> expected;
  std::vector<std::string> path;
  ExpectAfter(*before, *real.site, *real.site->root, path, expected);
  std::set<uint64_t> live;
  CollectIds(*real.site->root, live);
  ExpectRemoved(*before->root, live, path, expected);
  const std::set<Change> planned = Planned(dry.jsonPlan);
  if (planned != expected) {
    Differ("the plan does not add, remove and send what the run did", script, Show(planned),
           Show(expected));
  }
  return 0;
}
