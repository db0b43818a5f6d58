#include "site_run.h"

#include <sstream>

const char kBaseSite[] = R"({
  "format": 1, "server": "KORAS",
  "rules": [ {"number": 12, "description": "Interface down"},
             {"number": 40, "description": "CPU load high"},
             {"number": 60, "description": "BGP session down"} ],
  "agents": [
    { "ipaddr": "10.1.1.1",
      "properties": { "POLL": "60", "LEVEL": "INFO", "qpk_own": "12 5" },
      "brokers": [
        { "ipaddr": "10.1.1.1", "local": true, "version": "4.2",
          "properties": { "BUF": "100" },
          "autoconfig": { "properties": { "RANGE": "10.2.0.0/24" } },
          "dsms": [
            { "name": "dsm1", "properties": { "TIMEOUT": "5" },
              "targets": [
                { "ipaddr": "10.2.0.1", "properties": { "D": "first", "POLL": "300" } },
                { "ipaddr": "10.2.0.2", "properties": { "D": "second" } } ] } ] } ] },
    { "ipaddr": "10.1.1.2", "properties": { "POLL": "90" } } ]
})";

const char kPreamble[] =
    "AGENT a1 10.1.1.1\n"
    "a1.SPAWN b1 BROKER\n"
    "b1.SPAWN ac AUTOCONFIG\n"
    "b1.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\n"
    "d1.SPAWN t2 10.2.0.2\n"
    "AGENT a2 10.1.1.2\n";

SiteRun RunAgainstSite(const std::string& site, const std::string& script,
                       const std::string& input) {
  TempDir dir;
  const std::string sitePath = dir.write("site.json", site);
  const std::string tracePath = dir.file("trace.txt");
  SiteRun run;
  run.result = runScriptIn(dir, "t.hxo", script, input,
                           {{"ORBITANE_SIM", sitePath}, {"ORBITANE_SIM_TRACE", tracePath}});
  run.site = nlohmann::json::parse(dir.read("site.json"), nullptr, false);
  run.trace = dir.read("trace.txt");
  return run;
}

std::vector<std::string> Journal(const nlohmann::json& node) {
  std::vector<std::string> journal;
  if (node.contains("journal")) {
    for (const auto& entry : node["journal"]) journal.push_back(entry.get<std::string>());
  }
  return journal;
}

std::vector<std::string> TraceLines(const std::string& trace, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}
