// The texts behind GetNamedDataItem: log requests, the rule list and the reconfiguration status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/model.h"

namespace sim {

// "log:B:SIZE" (a tail) or "log:B:OFF:SIZE" (a piece). B and SIZE are decimal numbers from 0 up,
// OFF may be negative (it then counts as 0).
struct LogRequest {
  int64_t backup = 0;
  bool piece = false;
  int64_t offset = 0;
  int64_t size = 0;
};

// The request that item spells, or none for any other text (also for numbers out of range).
std::optional<LogRequest> ParseLogRequest(std::string_view item);

// The tail reply: the decimal offset of the data, a line feed, then the last size bytes of log.
std::string TailReply(std::string_view log, int64_t size);
// The piece reply: up to size bytes of log from offset; empty at or past the end.
std::string_view PieceReply(std::string_view log, int64_t offset, int64_t size);
// Whether a piece request reads up to the end of a log of that length.
bool ReachesEnd(const LogRequest& request, size_t length);

// One line per rule: number, a blank, the description in double quotes, a line feed.
std::string RuleListText(const std::vector<Rule>& rules);

// The next answer to "autoconfig_status": "0 0" before any run, "1 0" while polls remain (each
// answer uses one), then "0 RESULT".
std::string NextReconfigStatus(Reconfig& reconfig);

}  // namespace sim
