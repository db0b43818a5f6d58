// The installation the property, rule, log and remote command tests run their scripts against.
#pragma once

#include <string>
#include <vector>

#include "common/site_run.h"

// A small site: agent 10.1.1.1 ("a1" in kPreamble) with its local broker ("b1"), the broker's
// autoconfig object ("ac"), DSM dsm1 ("d1") with targets 10.2.0.1 and 10.2.0.2 ("t1", "t2"),
// and a second agent 10.1.1.2 ("a2"); three rules: 12, 40 and 60.
inline const char kBaseSite[] = R"({
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

// Declares the objects named above, quietly: seven lines, so a test's own script starts at 8.
inline const std::string kPreamble =
    "AGENT a1 10.1.1.1\n"
    "a1.SPAWN b1 BROKER\n"
    "b1.SPAWN ac AUTOCONFIG\n"
    "b1.SPAWN d1 dsm1\n"
    "d1.SPAWN t1 10.2.0.1\n"
    "d1.SPAWN t2 10.2.0.2\n"
    "AGENT a2 10.1.1.2\n";

// The journal of remote commands of a node of run.site (empty when none).
inline std::vector<std::string> Journal(const nlohmann::json& node) {
  return node.value("journal", std::vector<std::string>{});
}
