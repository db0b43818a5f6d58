// In-process cost of the interpreter: taking lines apart and running command texts.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "hxo/hxo.h"
#include "runtime/tokens.h"

namespace {

void BM_TokenizeCommandLine(benchmark::State& state) {
  const std::string line = "  agent1.SET   POLL_INTERVAL\t 60 seconds between polls \r\n";
  std::string token;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tokenCount(line));
    getToken(token, 2, line);
    benchmark::DoNotOptimize(RestOfLineView(3, line));
  }
}
BENCHMARK(BM_TokenizeCommandLine);

// A command text of n lines mixing comments, PRINT, SET and history recall, run whole.
void BM_ExecuteCommands(benchmark::State& state) {
  std::string text = "SET CONTINUE TYPO\nPRINT first\n";
  for (int64_t i = 0; i < state.range(0); ++i) {
    switch (i % 4) {
      case 0:
        text += "# comment line\n";
        break;
      case 1:
        text += "PRINT a line of output " + std::to_string(i) + "\n";
        break;
      case 2:
        text += "SET LINES 30\n";
        break;
      default:
        text += "!-1\n";
        break;
    }
  }
  // The script's output goes to /dev/null; the report's own output is restored afterwards.
  std::fflush(stdout);
  int savedStdout = dup(STDOUT_FILENO);
  int devNull = open("/dev/null", O_WRONLY);
  dup2(devNull, STDOUT_FILENO);
  for (auto _ : state) benchmark::DoNotOptimize(HXO_ExecuteCommands(text.c_str()));
  std::fflush(stdout);
  dup2(savedStdout, STDOUT_FILENO);
  close(savedStdout);
  close(devNull);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExecuteCommands)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
