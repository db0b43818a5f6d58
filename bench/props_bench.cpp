// Properties, rules and logs at scale: selections over 10,000 and 100,000 targets (TARGET.SET,
// TARGET.QPK, ALL.COMMIT) and LOG -t 1000 on a 100 MB log, each run as a command text through
// the engine, with the listings captured rather than printed.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "entry/process_workspace.h"
#include "hxo/hxo.h"
#include "model/config_object.h"

namespace {

// A node held in memory: properties, a walker over child records, a rule list, one log.
class BenchNode : public TreeNode {
 public:
  explicit BenchNode(ChildDefinitionData record) : definition(std::move(record)) {}

  TreeNode* AddChild(const ChildDefinitionData&) override { return nullptr; }
  bool RemoveChildByData(const ChildDefinitionData&) override { return false; }
  NodePropertySet* GetProperties() override { return new NodePropertySet(properties); }
  bool SetProperties(const NodePropertySet& set) override {
    properties = set;
    return true;
  }
  const char* GetTypeName() override { return "Bench"; }
  const ChildDefinitionData& GetDefinitionData() override { return definition; }
  void VendorReservedA() override {}
  TreeWalker* GetChildWalker() override;
  void SupplyChildPassword(const ChildDefinitionData&, const char*) override {}
  bool ChangeChildPassword(const ChildDefinitionData&, const char*) override { return false; }
  void VendorReservedB() override {}
  bool ExecuteCommand(const char*, const char*) override { return true; }
  char* GetNamedDataItem(const char* item) override;

  ChildDefinitionData definition;
  NodePropertySet properties;
  std::vector<ChildDefinitionData> children;
  const std::string* log = nullptr;
};

class BenchWalker : public TreeWalker {
 public:
  explicit BenchWalker(const std::vector<ChildDefinitionData>& records) : records(records) {}
  void Next() override { ++position; }
  bool AtEnd() override { return position >= records.size(); }
  void First() override { position = 0; }
  void Seek(const ChildDefinitionData&) override { position = records.size(); }
  TreeNode* Current() override { return AtEnd() ? nullptr : new BenchNode(records[position]); }

 private:
  const std::vector<ChildDefinitionData>& records;
  size_t position = 0;
};

TreeWalker* BenchNode::GetChildWalker() { return new BenchWalker(children); }

std::string RuleListText() {
  std::string text;
  for (int rule = 1; rule <= 20; ++rule) {
    text += std::to_string(rule * 5) + " \"Rule number " + std::to_string(rule) + "\"\n";
  }
  return text;
}

char* BenchNode::GetNamedDataItem(const char* item) {
  static const std::string rules = RuleListText();
  if (std::string_view(item) == "rulelist") return SharedHeapStrdup(rules.c_str());
  if (log == nullptr) return nullptr;
  long backup = 0, offset = 0, size = 0;
  int end = 0;
  if (std::sscanf(item, "log:%ld:%ld:%ld%n", &backup, &offset, &size, &end) == 3 &&
      item[end] == '\0') {
    const size_t from = static_cast<size_t>(std::max(0L, offset));
    if (from >= log->size()) return SharedHeapStrdup("");
    return SharedHeapStrdup(log->substr(from, size).c_str());
  }
  if (std::sscanf(item, "log:%ld:%ld%n", &backup, &size, &end) == 2 && item[end] == '\0') {
    const size_t start = log->size() > static_cast<size_t>(size) ? log->size() - size : 0;
    return SharedHeapStrdup((std::to_string(start) + "\n" + log->substr(start)).c_str());
  }
  return nullptr;
}

BenchNode* AddObject(const std::string& name, ObjectKind kind, ConfigObject* parent,
                     const ChildDefinitionData& record) {
  auto* node = new BenchNode(record);
  ProcessWorkspace().registry().Insert(
      name, std::make_unique<ConfigObject>(ProcessWorkspace(), name, kind, parent,
                                           std::unique_ptr<TreeNode>(node)));
  return node;
}

// Ten agents, each with a broker of ten DSMs sharing the targets out evenly. Built once per
// size; the registry is emptied before a build of another size.
void BuildSite(int targets) {
  static int built = 0;
  if (built == targets) return;
  ProcessWorkspace().registry().Clear();
  ProcessWorkspace().EnsureServerSession();

  constexpr int kAgents = 10;
  constexpr int kDsmsPerBroker = 10;
  const int perDsm = targets / (kAgents * kDsmsPerBroker);
  char name[32];
  for (int a = 0; a < kAgents; ++a) {
    ChildDefinitionData record;
    record.setv("ipaddr", ("10.0.0." + std::to_string(a + 1)).c_str());
    std::snprintf(name, sizeof name, "agent%02d", a);
    BenchNode* agentNode = AddObject(name, ObjectKind::Agent, nullptr, record);
    agentNode->properties.SetPropertyValueWithAction("qpk_own", "5 3 10 7", ACTION_NONE);
    ConfigObject* agent = ProcessWorkspace().registry().Find(name);
    std::snprintf(name, sizeof name, "broker%02d", a);
    BenchNode* brokerNode = AddObject(name, ObjectKind::Broker, agent, record);
    ConfigObject* broker = ProcessWorkspace().registry().Find(name);
    for (int d = 0; d < kDsmsPerBroker; ++d) {
      ChildDefinitionData dsmRecord;
      dsmRecord.setv("name", ("dsm" + std::to_string(d)).c_str());
      brokerNode->children.push_back(dsmRecord);
      std::snprintf(name, sizeof name, "dsm%02d_%d", a, d);
      AddObject(name, ObjectKind::DSM, broker, dsmRecord);
      ConfigObject* dsm = ProcessWorkspace().registry().Find(name);
      for (int t = 0; t < perDsm; ++t) {
        ChildDefinitionData targetRecord;
        targetRecord.setv("ipaddr", ("10." + std::to_string(a) + "." + std::to_string(d) + "." +
                                     std::to_string(t))
                                        .c_str());
        std::snprintf(name, sizeof name, "t%02d_%d_%05d", a, d, t);
        BenchNode* node = AddObject(name, ObjectKind::Target, dsm, targetRecord);
        node->properties.SetPropertyValueWithAction("DESCRIPTION", name, ACTION_NONE);
        node->properties.SetPropertyValueWithAction("POLL_INTERVAL", "300", ACTION_NONE);
        node->properties.SetPropertyValueWithAction("qpk_own", "15 2", ACTION_NONE);
      }
    }
  }
  built = targets;
}

// Drops every working copy, so that each run loads the properties afresh.
void UnloadAll() {
  for (const auto& [name, object] : ProcessWorkspace().registry()) object->DropWorkingSet();
}

void Run(benchmark::State& state, const char* commands, bool unloadFirst,
         const char* prepare = nullptr) {
  BuildSite(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    if (unloadFirst) UnloadAll();
    if (prepare != nullptr) HXO_ExecuteCommands(prepare);
    state.ResumeTiming();
    char* output = nullptr;
    if (HXO_ExecuteCommandsGetOutput(commands, &output) != 0) state.SkipWithError(commands);
    benchmark::DoNotOptimize(output);
    std::free(output);
  }
  state.SetComplexityN(state.range(0));
}

void BM_TargetSetValue(benchmark::State& state) {
  Run(state, "TARGET.SET POLL_INTERVAL 60\n", true);
}
void BM_TargetSetListing(benchmark::State& state) {
  Run(state, "SET LINES 0\nTARGET.SET POLL_INTERVAL\n", true);
}
void BM_TargetQpkListing(benchmark::State& state) {
  Run(state, "SET LINES 0\nTARGET.QPK 15\n", true);
}
void BM_AllCommit(benchmark::State& state) {
  Run(state, "ALL.COMMIT\n", true, "TARGET.SET POLL_INTERVAL 120\nDSM.QPK 10 4\n");
}

BENCHMARK(BM_TargetSetValue)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TargetSetListing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TargetQpkListing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllCommit)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// LOG -t 1000 on a log of 100 MB of lines of about 80 bytes.
void BM_LogTail1000(benchmark::State& state) {
  static std::string log;
  if (log.empty()) {
    const size_t size = static_cast<size_t>(state.range(0)) << 20;
    log.reserve(size + 128);
    for (long line = 0; log.size() < size; ++line) {
      log += "2024-03-12 00:00:00 INFO  poll cycle " + std::to_string(line) +
             " completed for 42 targets and then some\n";
    }
  }
  ProcessWorkspace().registry().Clear();
  ProcessWorkspace().EnsureServerSession();
  ChildDefinitionData record;
  record.setv("ipaddr", "10.0.0.1");
  AddObject("logger", ObjectKind::Agent, nullptr, record)->log = &log;
  for (auto _ : state) {
    char* output = nullptr;
    HXO_ExecuteCommandsGetOutput("SET LINES 0\nlogger.LOG -t 1000\n", &output);
    benchmark::DoNotOptimize(output);
    std::free(output);
  }
  state.counters["log_MB"] = static_cast<double>(log.size()) / (1 << 20);
}
BENCHMARK(BM_LogTail1000)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
