// Named data items.
#include "sim/named_items.h"

#include <charconv>

namespace sim {
namespace {

// A decimal number filling the whole field; negative only when allowed.
std::optional<int64_t> Number(std::string_view field, bool allowNegative) {
  if (field.empty() || (field[0] == '-' && !allowNegative) || field[0] == '+') return std::nullopt;
  int64_t value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<LogRequest> ParseLogRequest(std::string_view item) {
  constexpr std::string_view kPrefix = "log:";
  if (item.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  item.remove_prefix(kPrefix.size());
  std::vector<std::string_view> fields;
  while (true) {
    size_t colon = item.find(':');
    fields.push_back(item.substr(0, colon));
    if (colon == std::string_view::npos || fields.size() > 3) break;
    item.remove_prefix(colon + 1);
  }
  if (fields.size() != 2 && fields.size() != 3) return std::nullopt;
  LogRequest request;
  request.piece = fields.size() == 3;
  std::optional<int64_t> backup = Number(fields[0], false);
  std::optional<int64_t> size = Number(fields.back(), false);
  std::optional<int64_t> offset = request.piece ? Number(fields[1], true) : int64_t{0};
  if (!backup || !size || !offset) return std::nullopt;
  request.backup = *backup;
  request.size = *size;
  request.offset = *offset < 0 ? 0 : *offset;
  return request;
}

std::string TailReply(std::string_view log, int64_t size) {
  const size_t length = log.size();
  const size_t take = static_cast<uint64_t>(size) < length ? static_cast<size_t>(size) : length;
  const size_t offset = length - take;
  std::string reply = std::to_string(offset);
  reply += '\n';
  reply.append(log.substr(offset));
  return reply;
}

std::string_view PieceReply(std::string_view log, int64_t offset, int64_t size) {
  if (offset < 0) offset = 0;
  if (static_cast<uint64_t>(offset) >= log.size()) return std::string_view();
  return log.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
}

bool ReachesEnd(const LogRequest& request, size_t length) {
  // Compared as "what is left fits in the piece", which cannot overflow.
  const uint64_t offset = static_cast<uint64_t>(request.offset);
  return offset >= length || length - offset <= static_cast<uint64_t>(request.size);
}

std::string RuleListText(const std::vector<Rule>& rules) {
  std::string text;
  for (const Rule& rule : rules) {
    text += std::to_string(rule.number);
    text += " \"";
    text += rule.description;
    text += "\"\n";
  }
  return text;
}

std::string NextReconfigStatus(Reconfig& reconfig) {
  if (!reconfig.ran) return "0 0";
  if (reconfig.pending > 0) {
    --reconfig.pending;
    return "1 0";
  }
  return "0 " + std::to_string(reconfig.result);
}

}  // namespace sim
