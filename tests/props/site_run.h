// Running a script through hxo_cmdline against an installation file, and reading back what the
// installation kept: the file as the simulator wrote it and the trace of calls.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "common/process_runner.h"

// A small site: agent 10.1.1.1 ("a1" in kPreamble) with its local broker ("b1"), the broker's
// autoconfig object ("ac"), DSM dsm1 ("d1") with targets 10.2.0.1 and 10.2.0.2 ("t1", "t2"),
// and a second agent 10.1.1.2 ("a2"); three rules: 12, 40 and 60.
extern const char kBaseSite[];
// Declares the objects named above, quietly.
extern const char kPreamble[];

struct SiteRun {
  ProcessResult result;
  nlohmann::json site;  // the installation file after the run
  std::string trace;    // one line per call into the installation
};

// Runs script (as file t.hxo) against site, with input as standard input.
SiteRun RunAgainstSite(const std::string& site, const std::string& script,
                       const std::string& input = "");

// The journal of remote commands of a node of run.site (empty when none).
std::vector<std::string> Journal(const nlohmann::json& node);

// The trace lines that begin with prefix, in order.
std::vector<std::string> TraceLines(const std::string& trace, const std::string& prefix);
