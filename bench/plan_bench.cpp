// The plan of a dry run: comparing a site of 100,000 targets with the same site in which every
// target's property changed, and writing the plan as text or JSON.
#include <string>

#include <benchmark/benchmark.h>

#include "sim/plan.h"
#include "sim/site_reader.h"

namespace {

// One agent, one broker, 100 DSMs of 1,000 targets each; every target's POLL is value.
std::string Site(const std::string& value) {
  std::string text = R"({"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.0.0.1",
  "brokers": [{"ipaddr": "127.0.0.1", "dsms": [)";
  for (int dsm = 0; dsm < 100; ++dsm) {
    text += dsm == 0 ? "" : ",";
    text += "{\"name\": \"dsm" + std::to_string(dsm) + "\", \"targets\": [";
    for (int i = dsm * 1000; i < dsm * 1000 + 1000; ++i) {
      text += i % 1000 == 0 ? "" : ",";
      text += "{\"ipaddr\": \"10." + std::to_string(i >> 16 & 255) + "." +
              std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255) +
              "\", \"properties\": {\"POLL\": \"" + value + "\"}}";
    }
    text += "]}";
  }
  return text + "]}]}]}";
}

void BM_Plan100000ChangedTargets(benchmark::State& state) {
  std::string error;
  auto before = sim::ReadSite(Site("60"), error);
  auto after = sim::ReadSite(Site("30"), error);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string plan = sim::PlanText(*before, *after, state.range(0) != 0);
    bytes = plan.size();
    benchmark::DoNotOptimize(plan.data());
  }
  state.counters["plan_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Plan100000ChangedTargets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
