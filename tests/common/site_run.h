// Running a script through hxo_cmdline against an installation file written by the test, with
// the simulator's call trace, and reading back what the installation file holds after it.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/process_runner.h"

struct SiteRun {
  ProcessResult result;
  std::string trace;    // the simulator's calls, one a line
  nlohmann::json site;  // the installation file after the run (discarded if unreadable)
};

// Runs script as file t.hxo against site, with input as standard input.
inline SiteRun RunOnSite(const std::string& site, const std::string& script,
                         const std::string& input = "") {
  TempDir dir;
  const std::string sitePath = dir.write("site.json", site);
  const std::string tracePath = dir.file("trace.txt");
  SiteRun run;
  run.result = runScriptIn(dir, "t.hxo", script, input,
                           {{"ORBITANE_SIM", sitePath}, {"ORBITANE_SIM_TRACE", tracePath}});
  run.trace = dir.read("trace.txt");
  run.site = nlohmann::json::parse(dir.read("site.json"), nullptr, false);
  return run;
}

// The trace lines that begin with prefix, in order.
inline std::vector<std::string> TraceLines(const std::string& trace, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

// The trace lines whose call name (first word) is one of calls, in order.
inline std::vector<std::string> TraceCalls(const std::string& trace,
                                           const std::vector<std::string>& calls) {
  std::vector<std::string> lines;
  for (const std::string& line : TraceLines(trace, "")) {
    const std::string first = line.substr(0, line.find(' '));
    for (const std::string& call : calls) {
      if (first == call) {
        lines.push_back(line);
        break;
      }
    }
  }
  return lines;
}

// One table row of a script test against a site: the script, exactly what it must print on each
// stream, the exit status it must end with, and its standard input.
struct SiteScriptCase {
  const char* title;
  std::string script;
  std::string out;
  std::string err;
  int exitCode;
  std::string input = "";
};

inline void PrintTo(const SiteScriptCase& c, std::ostream* os) { *os << c.title; }

// Runs preamble and the case's script against site and checks both streams and the exit status.
inline void ExpectSiteScript(const std::string& site, const SiteScriptCase& c,
                             const std::string& preamble = "") {
  SiteRun run = RunOnSite(site, preamble + c.script, c.input);
  EXPECT_EQ(run.result.out, c.out);
  EXPECT_EQ(run.result.err, c.err);
  EXPECT_EQ(run.result.exitCode, c.exitCode);
}

// Names parameterized site script tests after their cases.
struct SiteScriptTitle {
  std::string operator()(const testing::TestParamInfo<SiteScriptCase>& info) const {
    return info.param.title;
  }
};
