// The simulated installation: loading and writing back generated sites of 1,000 to 100,000
// targets, a property round trip on one node of the largest, and keyed child lookups.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "orbitane/orbitaneapi.h"

namespace {

// A site with one agent, one local broker and the targets spread over DSMs of 1,000 targets each
// (or one DSM holding them all), each target with two properties.
std::string GenerateSite(int targets, int perDsm) {
  std::string text = R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.0.0.1",
  "properties": {"POLL_INTERVAL": "60"}, "brokers": [{"ipaddr": "127.0.0.1", "local": true,
  "version": "4.2", "dsms": [)";
  for (int first = 0; first < targets; first += perDsm) {
    if (first != 0) text += ",";
    text += "\n{\"name\": \"dsm" + std::to_string(first / perDsm) + "\", \"targets\": [";
    for (int i = first; i < targets && i < first + perDsm; ++i) {
      if (i != first) text += ",";
      text += "\n {\"ipaddr\": \"10." + std::to_string(i >> 16 & 255) + "." +
              std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255) +
              R"(", "community": "public", "properties": {"POLL": ")" + std::to_string(i) +
              R"(", "DESCRIPTION": "target number )" + std::to_string(i) + "\"}}";
    }
    text += "]}";
  }
  return text + "]}]}]}\n";
}

// A site file in a temporary folder, removed at the end.
class SiteFile {
 public:
  SiteFile(int targets, int perDsm) {
    std::string pattern = (std::filesystem::temp_directory_path() / "simbench.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    path_ = folder_ + "/site.json";
    std::ofstream(path_) << GenerateSite(targets, perDsm);
    size_ = static_cast<int64_t>(std::filesystem::file_size(path_));
  }
  ~SiteFile() { std::filesystem::remove_all(folder_); }
  const std::string& path() const { return path_; }
  int64_t size() const { return size_; }

 private:
  std::string folder_, path_;
  int64_t size_ = 0;
};

ChildDefinitionData Record(const char* key, const std::string& value) {
  ChildDefinitionData record;
  record.setv(key, value.c_str());
  return record;
}

// An open session on the file named by ORBITANE_SIM.
struct Session {
  Session() {
    initAPI();
    holder.reset(TreeRootHolder::GetRoot("distributed", "KORAS", "root", ""));
    if (!holder) std::abort();
    root.reset(holder->GetRootNode(Record("filename", "nul")));
    ChildDefinitionData agentRecord = Record("ipaddr", "10.0.0.1");
    agent.reset(root->GetPotentialChild(agentRecord));
    ChildDefinitionData kind = Record("kind", "broker");
    broker.reset(agent->GetPotentialChild(kind));
  }
  ~Session() {
    broker.reset();
    agent.reset();
    root.reset();
    holder.reset();
    destroyAPI();
  }
  std::unique_ptr<TreeRootHolder> holder;
  std::unique_ptr<TreeNode> root, agent, broker;
};

void BM_SimLoad(benchmark::State& state) {
  SiteFile file(static_cast<int>(state.range(0)), 1000);
  setenv("ORBITANE_SIM", file.path().c_str(), 1);
  for (auto _ : state) {
    initAPI();
    std::unique_ptr<TreeRootHolder> holder{
        TreeRootHolder::GetRoot("distributed", "KORAS", "root", "")};
    if (!holder) state.SkipWithError("the generated site did not load");
    holder.reset();
    destroyAPI();
  }
  state.SetBytesProcessed(state.iterations() * file.size());
  state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Loading the file named by SIM_BENCH_FILE in-process (bench/sim_load_vs_python.sh compares
// whole processes).
void BM_SimLoadFile(benchmark::State& state) {
  const char* path = std::getenv("SIM_BENCH_FILE");
  if (path == nullptr) return state.SkipWithError("SIM_BENCH_FILE is not set");
  setenv("ORBITANE_SIM", path, 1);
  for (auto _ : state) {
    initAPI();
    std::unique_ptr<TreeRootHolder> holder{
        TreeRootHolder::GetRoot("distributed", "KORAS", "root", "")};
    if (!holder) state.SkipWithError("the file did not load");
    holder.reset();
    destroyAPI();
  }
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimLoadFile)->Unit(benchmark::kMillisecond);

// One change that writes the whole installation back (temporary file, fsync, rename).
void BM_SimWriteBack(benchmark::State& state) {
  SiteFile file(static_cast<int>(state.range(0)), 1000);
  setenv("ORBITANE_SIM", file.path().c_str(), 1);
  {
    Session session;
    std::unique_ptr<NodePropertySet> set{session.agent->GetProperties()};
    int round = 0;
    for (auto _ : state) {
      set->SetPropertyValue("POLL_INTERVAL", std::to_string(++round).c_str());
      if (!session.agent->SetProperties(*set)) state.SkipWithError("write-back failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * file.size());
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimWriteBack)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// GetProperties then SetProperties on one target of the largest site, without write-back.
void BM_SimPropertiesRoundTrip(benchmark::State& state) {
  SiteFile file(100000, 1000);
  setenv("ORBITANE_SIM", file.path().c_str(), 1);
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  {
    Session session;
    std::unique_ptr<TreeWalker> dsms{session.broker->GetChildWalker()};
    dsms->Seek(Record("name", "dsm50"));
    std::unique_ptr<TreeNode> dsm{dsms->Current()};
    std::unique_ptr<TreeWalker> targets{dsm->GetChildWalker()};
    ChildDefinitionData target = Record("ipaddr", "10.0.195.180");  // target 50100
    targets->Seek(target);
    std::unique_ptr<TreeNode> node{targets->Current()};
    if (!node) return state.SkipWithError("target not found");
    for (auto _ : state) {
      std::unique_ptr<NodePropertySet> set{node->GetProperties()};
      set->SetPropertyValue("POLL", "30");
      benchmark::DoNotOptimize(node->SetProperties(*set));
    }
  }
  unsetenv("ORBITANE_SIM_READONLY");
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimPropertiesRoundTrip);

// Seek for the last child of a DSM with range(0) targets: a keyed lookup, whatever the count.
void BM_SimSeek(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  SiteFile file(count, count);
  setenv("ORBITANE_SIM", file.path().c_str(), 1);
  setenv("ORBITANE_SIM_READONLY", "1", 1);
  {
    Session session;
    std::unique_ptr<TreeWalker> dsms{session.broker->GetChildWalker()};
    std::unique_ptr<TreeNode> dsm{dsms->Current()};
    const int last = count - 1;
    ChildDefinitionData record =
        Record("ipaddr", "10." + std::to_string(last >> 16 & 255) + "." +
                             std::to_string(last >> 8 & 255) + "." + std::to_string(last & 255));
    for (auto _ : state) {
      std::unique_ptr<TreeWalker> walker{dsm->GetChildWalker()};
      walker->Seek(record);
      std::unique_ptr<TreeNode> found{walker->Current()};
      if (!found) state.SkipWithError("not found");
    }
  }
  unsetenv("ORBITANE_SIM_READONLY");
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimSeek)->Arg(10)->Arg(100000);

// GetPotentialChild on a root with range(0) agents, asking for the last one.
void BM_SimGetPotentialChild(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  SiteFile sites(0, 1);  // only for the folder
  std::string text = R"({"format": 1, "server": "KORAS", "agents": [)";
  for (int i = 0; i < count; ++i) {
    text += (i ? ",\n" : "\n") + std::string(R"({"ipaddr": "10.0.0.1", "port": )") +
            std::to_string(i) + "}";
  }
  std::ofstream(sites.path()) << text << "]}\n";
  setenv("ORBITANE_SIM", sites.path().c_str(), 1);
  {
    initAPI();
    std::unique_ptr<TreeRootHolder> holder{
        TreeRootHolder::GetRoot("distributed", "KORAS", "root", "")};
    std::unique_ptr<TreeNode> root{holder->GetRootNode(Record("filename", "nul"))};
    ChildDefinitionData record = Record("ipaddr", "10.0.0.1");
    record.setv("port", static_cast<uint16_t>(count - 1));
    for (auto _ : state) {
      std::unique_ptr<TreeNode> agent{root->GetPotentialChild(record)};
      if (!agent) state.SkipWithError("not found");
    }
    root.reset();
    holder.reset();
    destroyAPI();
  }
  unsetenv("ORBITANE_SIM");
}
BENCHMARK(BM_SimGetPotentialChild)->Arg(10)->Arg(60000);

}  // namespace
