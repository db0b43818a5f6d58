// Running a script through hxo_cmdline against a small installation file written by the test,
// with the simulator's call trace, and reading back what the installation file holds after it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ostream>

#include "common/process_runner.h"

struct SiteRun {
  ProcessResult result;
  std::string trace;  // the simulator's calls, one a line
  std::string site;   // the installation file after the run
};

// A small site: agent 127.0.0.1:5465 with a local broker (version 4.2, an autoconfig object,
// DSMs dsm1 with targets 10.2.0.1/public and 10.2.0.2/Secret, and dsm2 without targets) and a
// remote broker 10.1.1.20:40000 without version (DSM remote); agent 10.1.1.1:6000 with password
// agentpw; agent 10.1.1.2 that does not answer. Users root (no password) and op ("se cret").
inline const char kSmallSite[] = R"({
  "format": 1, "server": "KORAS", "users": {"root": "", "op": "se cret"},
  "unreachable": ["10.9.9.9"],
  "agents": [
    {"ipaddr": "127.0.0.1", "port": 5465, "brokers": [
      {"ipaddr": "127.0.0.1", "port": 5465, "local": true, "version": "4.2", "autoconfig": {},
       "dsms": [
         {"name": "dsm1", "targets": [{"ipaddr": "10.2.0.1"},
                                      {"ipaddr": "10.2.0.2", "community": "Secret"}]},
         {"name": "dsm2"}]},
      {"ipaddr": "10.1.1.20", "port": 40000, "dsms": [{"name": "remote"}]}]},
    {"ipaddr": "10.1.1.1", "port": 6000, "password": "agentpw"},
    {"ipaddr": "10.1.1.2", "alive": false}
  ]
})";

// Declares the tree most tests start from: agent a1 with local broker lb and remote broker rb,
// DSM d1 (dsm1) under lb with targets t1 and t2.
inline const char kSmallTree[] =
    "AGENT a1 127.0.0.1\n"
    "a1.SPAWN lb BROKER\n"
    "a1.SPAWN rb 10.1.1.20 40000\n"
    "lb.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\n"
    "d1.SPAWN t2 10.2.0.2 Secret\n";

inline SiteRun RunOnSite(const std::string& site, const std::string& script,
                         const std::string& input = "") {
  TempDir dir;
  const std::string sitePath = dir.write("site.json", site);
  const std::string tracePath = dir.file("trace.txt");
  SiteRun run;
  run.result = runScriptIn(dir, "t.hxo", script, input,
                           {{"ORBITANE_SIM", sitePath}, {"ORBITANE_SIM_TRACE", tracePath}});
  run.trace = dir.read("trace.txt");
  run.site = dir.read("site.json");
  return run;
}

// The trace lines that begin with one of the given call names, in order.
inline std::vector<std::string> TraceCalls(const std::string& trace,
                                           const std::vector<std::string>& calls) {
  std::vector<std::string> lines;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    std::string first = line.substr(0, line.find(' '));
    for (const std::string& call : calls) {
      if (first == call) {
        lines.push_back(line);
        break;
      }
    }
  }
  return lines;
}

// One table row of a script test against a site: the script and exactly what it must print on
// each stream and the exit status it must end with.
struct SiteScriptCase {
  const char* title;
  std::string script;
  const char* out;
  const char* err;
  int exitCode;
};

inline void PrintTo(const SiteScriptCase& c, std::ostream* os) { *os << c.title; }

// Runs the case's script against site and checks both streams and the exit status.
inline void ExpectSiteScript(const std::string& site, const SiteScriptCase& c) {
  SiteRun run = RunOnSite(site, c.script);
  EXPECT_EQ(run.result.out, c.out);
  EXPECT_EQ(run.result.err, c.err);
  EXPECT_EQ(run.result.exitCode, c.exitCode);
}
