// Costs of the object commands as the registry grows: one more child under a parent that has
// N registered children (SPAWN, ADD), and the commands that walk every registered object
// (OBJECTS, DROP ALL, DEL ALL, a reserved-name selection) over N objects.
//
// The installation is generated once into a temporary file and loaded read-only, so that the
// figures are about the engine and not about writing the file back.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "entry/process_workspace.h"
#include "hxo/hxo.h"
#include "props/object_selection.h"

namespace {

constexpr int kBrokers = 10;
constexpr int kDsmsPerBroker = 10;
constexpr int kTargetsInFirstDsm = 100001;  // one more than any benchmark registers

// Agents: the main one (port 5465) with 1000 targets in every DSM but the first, which has
// 100,001; and, for DEL, which changes the installation, one fresh agent per timed run: ports
// 6000 and 6001 with 100 targets per DSM (10,000 in all), 7000 and 7001 with 1000 (100,000).
struct AgentShape {
  int port;
  int targetsPerDsm;
};
constexpr AgentShape kMainAgent{5465, 1000};
constexpr AgentShape kDelAgents[] = {{6000, 100}, {6001, 100}, {7000, 1000}, {7001, 1000}};
constexpr int kDelRuns = 2;

std::string targetAddress(int n) {
  return "10." + std::to_string(n / 62500) + "." + std::to_string(n / 250 % 250) + "." +
         std::to_string(n % 250 + 1);
}
std::string brokerAddress(int b) { return "10.250.0." + std::to_string(b + 1); }
std::string dsmName(int b, int d) { return "dsm" + std::to_string(b) + "_" + std::to_string(d); }

void writeAgent(std::ofstream& out, const AgentShape& shape, bool bigFirstDsm) {
  out << R"({"ipaddr": "127.0.0.1", "port": )" << shape.port << R"(, "brokers": [)";
  for (int b = 0; b < kBrokers; ++b) {
    out << (b ? "," : "") << R"({"ipaddr": ")" << brokerAddress(b) << R"(", "dsms": [)";
    for (int d = 0; d < kDsmsPerBroker; ++d) {
      out << (d ? "," : "") << R"({"name": ")" << dsmName(b, d) << R"(", "targets": [)";
      const int targets =
          bigFirstDsm && b == 0 && d == 0 ? kTargetsInFirstDsm : shape.targetsPerDsm;
      for (int t = 0; t < targets; ++t) {
        out << (t ? "," : "") << R"({"ipaddr": ")" << targetAddress(t) << R"("})";
      }
      out << "]}";
    }
    out << "]}";
  }
  out << "]}";
}

void writeInstallation(const std::string& path) {
  std::ofstream out(path);
  out << R"({"format": 1, "server": "KORAS", "agents": [)";
  writeAgent(out, kMainAgent, true);
  for (const AgentShape& shape : kDelAgents) {
    out << ",";
    writeAgent(out, shape, false);
  }
  out << "]}\n";
}

// Generates and selects the installation before the first command authenticates.
void ensureInstallation() {
  static bool ready = false;
  if (ready) return;
  char folder[] = "/tmp/hxo_objects_bench_XXXXXX";
  if (mkdtemp(folder) == nullptr) std::abort();
  const std::string path = std::string(folder) + "/site.json";
  writeInstallation(path);
  setenv("ORBITANE_SIM", path.c_str(), 1);
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  setenv("ORBITANE_SIM_TRACE", "", 1);
  if (HXO_ExecuteCommands("AUTH KORAS root\n") != 0) std::abort();
  ready = true;
}

// Runs commands with standard output going to /dev/null, as a script's output to a file would.
int runQuietly(const std::string& commands) {
  std::fflush(stdout);
  int saved = dup(1);
  int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  close(null);
  int result = HXO_ExecuteCommands(commands.c_str());
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  return result;
}

ConfigObject& object(const char* name) {
  ConfigObject* found = ProcessWorkspace().registry().Find(name);
  if (found == nullptr) std::abort();
  return *found;
}

// A fresh registry: agent a1 (of the given shape), its ten brokers and their DSMs, and targets
// until the registry holds total objects. With oneParent, all targets go under the first DSM.
void buildRegistry(int total, bool oneParent, const AgentShape& agent = kMainAgent) {
  ensureInstallation();
  ProcessWorkspace().registry().Clear();
  std::string script = "AGENT a1 127.0.0.1 " + std::to_string(agent.port) + "\n";
  for (int b = 0; b < kBrokers; ++b) {
    script += "a1.SPAWN b" + std::to_string(b) + " " + brokerAddress(b) + "\n";
    for (int d = 0; d < kDsmsPerBroker; ++d) {
      script += "b" + std::to_string(b) + ".SPAWN d" + std::to_string(b) + "_" + std::to_string(d) +
                " " + dsmName(b, d) + "\n";
    }
  }
  if (HXO_ExecuteCommands(script.c_str()) != 0) std::abort();
  const int targets = total - static_cast<int>(ProcessWorkspace().registry().size());
  for (int t = 0; t < targets; ++t) {
    const int dsm = oneParent ? 0 : t / agent.targetsPerDsm;
    const int number = oneParent ? t : t % agent.targetsPerDsm;
    const std::string parent =
        "d" + std::to_string(dsm / kDsmsPerBroker) + "_" + std::to_string(dsm % kDsmsPerBroker);
    if (!object(parent.c_str())
             .SpawnTarget("t" + std::to_string(t), targetAddress(number).c_str(), "public")) {
      std::abort();
    }
  }
}

// One more target under a DSM that has N registered targets, then forgotten again.
void BM_SpawnTargetAmongSiblings(benchmark::State& state) {
  const int siblings = static_cast<int>(state.range(0));
  buildRegistry(siblings + 111, true);
  ConfigObject& dsm = object("d0_0");
  const std::string spare = targetAddress(kTargetsInFirstDsm - 1);
  for (auto _ : state) {
    if (!dsm.SpawnTarget("spare", spare.c_str(), "public")) state.SkipWithError("spawn failed");
    ProcessWorkspace().registry().Remove("spare").reset();
  }
}
BENCHMARK(BM_SpawnTargetAmongSiblings)->Arg(1000)->Arg(10000)->Arg(100000);

// The same through the command line, duplicate tests and all.
void BM_SpawnCommandAmongSiblings(benchmark::State& state) {
  const int siblings = static_cast<int>(state.range(0));
  buildRegistry(siblings + 111, true);
  const std::string command =
      "d0_0.SPAWN spare " + targetAddress(kTargetsInFirstDsm - 1) + "\nDROP spare\n";
  for (auto _ : state) {
    if (HXO_ExecuteCommands(command.c_str()) != 0) state.SkipWithError("spawn failed");
  }
}
BENCHMARK(BM_SpawnCommandAmongSiblings)->Arg(1000)->Arg(10000)->Arg(100000);

// A new target entry written under a DSM with N registered targets, then deleted again.
void BM_AddAndDelAmongSiblings(benchmark::State& state) {
  const int siblings = static_cast<int>(state.range(0));
  buildRegistry(siblings + 111, true);
  const std::string command = "d0_0.ADD added 10.255.255.1\nd0_0.DEL added\n";
  for (auto _ : state) {
    if (HXO_ExecuteCommands(command.c_str()) != 0) state.SkipWithError("add failed");
  }
}
BENCHMARK(BM_AddAndDelAmongSiblings)->Arg(1000)->Arg(10000)->Arg(100000);

// Commands over the whole registry of N objects spread over the tree.
void BM_Objects(benchmark::State& state) {
  buildRegistry(static_cast<int>(state.range(0)), false);
  for (auto _ : state) runQuietly("OBJECTS\n");
}
BENCHMARK(BM_Objects)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DropAll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    buildRegistry(static_cast<int>(state.range(0)), false);
    state.ResumeTiming();
    if (runQuietly("DROP ALL\n") != 0) state.SkipWithError("drop failed");
  }
}
BENCHMARK(BM_DropAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DelAll(benchmark::State& state) {
  const int total = static_cast<int>(state.range(0));
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const AgentShape& agent = kDelAgents[(total > 10000 ? kDelRuns : 0) + run++];
    buildRegistry(total, false, agent);
    state.ResumeTiming();
    if (runQuietly("a1.DEL ALL\n") != 0) state.SkipWithError("del failed");
  }
}
BENCHMARK(BM_DelAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(kDelRuns);

// A reserved name selects by kind in one pass over the registry.
void BM_ReservedNameSelection(benchmark::State& state) {
  buildRegistry(static_cast<int>(state.range(0)), false);
  for (auto _ : state) {
    int selected = 0;
    const ObjectSelection targets(ProcessWorkspace().registry(), "TARGET");
    for (const auto& [name, entry] : ProcessWorkspace().registry())
      selected += targets.Includes(*entry);
    benchmark::DoNotOptimize(selected);
  }
}
BENCHMARK(BM_ReservedNameSelection)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
