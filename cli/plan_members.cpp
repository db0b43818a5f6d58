#include "cli/plan_members.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>

namespace {

using simdjson::ondemand::value;

// What the writer puts between the pieces that ReadPlanEnds reads.
constexpr std::string_view kRecordKey = ",\n\"made_from\": ";
constexpr std::string_view kLengthKey = ",\n\"made_from_bytes\": ";
constexpr std::string_view kChangesKey = "\"changes\": ";
constexpr std::string_view kNodesKey = ",\n\"nodes\": ";
// How far from its end of the text each piece is looked for: far more than the writer puts there
// (the stop of an incomplete run, the list of scripts), and short of a scan of a large plan.
constexpr size_t kHeadSearched = 64 * 1024;
constexpr size_t kTailSearched = 4096;

// One member of the record's head: the three paths are texts (or null), the format is there.
bool ReadHeadMember(std::string_view key, value member, RecordHead& head) {
  if (key == "format") head.hasFormat = true;
  std::string_view text;
  if (member.get_string().get(text)) return true;  // null, or what --apply does not read
  if (key == "script") head.script = text;
  if (key == "directory") head.directory = text;
  if (key == "installation") head.installation = text;
  return true;
}

// Reads the head of the record value and finds its text, in the pass over the plan: the nodes are
// skipped, not indexed a second time. The record ends at the last '}' before the token that
// follows it.
bool ReadRecord(simdjson::ondemand::document& document, value record, PlanMembers& found) {
  const std::string_view opening = record.raw_json_token();
  simdjson::ondemand::object members;
  if (record.get_object().get(members)) return false;
  bool beforeNodes = true;
  for (auto member : members) {
    std::string_view key;
    if (member.unescaped_key().get(key)) return false;
    if (!beforeNodes) continue;
    if (key == "nodes") {
      beforeNodes = false;
      continue;
    }
    ReadHeadMember(key, member.value(), found.head);
  }
  const char* next = nullptr;
  if (document.current_location().get(next)) return false;
  const char* end = next;
  while (end > opening.data() && end[-1] != '}') --end;
  if (end == opening.data()) return false;
  found.record = std::string_view(opening.data(), static_cast<size_t>(end - opening.data()));
  return true;
}

// A member of the plan object other than "made_from".
bool ReadPlanMember(std::string_view key, value member, PlanMembers& found) {
  if (key == "changes") {
    simdjson::ondemand::array changes;
    if (member.get_array().get(changes) || changes.raw_json().get(found.changes)) return false;
    found.hasChanges = true;
  } else if (key == "complete") {
    bool complete = true;
    if (!member.get_bool().get(complete)) found.complete = complete;
  } else if (key == "applied") {
    std::string_view applied;
    found.hasApplied = !member.get_string().get(applied);
    found.applied = applied;
  }
  return true;
}

// Calls read(document, key, value) for each member of the JSON object text; false when text is
// not one or read refuses a member.
template <class Read>
bool ForEachMember(simdjson::ondemand::parser& parser, const simdjson::padded_string& text,
                   Read read) {
  simdjson::ondemand::document document;
  simdjson::ondemand::object object;
  if (parser.iterate(text).get(document) || document.get_object().get(object)) return false;
  for (auto member : object) {
    std::string_view key;
    value content;
    if (member.unescaped_key().get(key) || member.value().get(content) ||
        !read(document, key, content)) {
      return false;
    }
  }
  return true;
}

// The same for the object opening + piece + closing, read(key, value) for each member.
template <class Read>
bool ReadPiece(simdjson::ondemand::parser& parser, std::string_view opening, std::string_view piece,
               std::string_view closing, Read read) {
  std::string text;
  text.reserve(opening.size() + piece.size() + closing.size());
  text.append(opening).append(piece).append(closing);
  return ForEachMember(parser, simdjson::padded_string(text),
                       [&read](simdjson::ondemand::document&, std::string_view key, value content) {
                         return read(key, content);
                       });
}

}  // namespace

bool ReadPlanEnds(const simdjson::padded_string& text,
                  const std::function<bool(size_t, size_t)>& read, PlanMembers& found) {
  const std::string_view all(text.data(), text.size());
  simdjson::ondemand::parser parser;
  // The tail: the record's length and what follows it.
  const size_t tailWindow = all.size() > kTailSearched ? all.size() - kTailSearched : 0;
  if (!read(tailWindow, all.size())) return false;
  const size_t lengthAt = all.substr(tailWindow).rfind(kLengthKey);
  if (lengthAt == std::string_view::npos) return false;
  const size_t recordEnd = tailWindow + lengthAt;
  uint64_t length = 0;
  bool hasLength = false;
  const bool tailRead = ReadPiece(parser, "{", all.substr(recordEnd + 2), "",
                                  [&](std::string_view key, value member) {
                                    if (key == "made_from_bytes") {
                                      hasLength = !member.get_uint64().get(length);
                                      return hasLength;
                                    }
                                    return key == "applied" && ReadPlanMember(key, member, found);
                                  });
  if (!tailRead || !hasLength || length < 2 || length > recordEnd ||
      recordEnd - length < kRecordKey.size()) {
    return false;
  }
  // The record, just before: "made_from" and its value.
  const size_t recordStart = recordEnd - length;
  if (!read(recordStart - kRecordKey.size(), recordEnd)) return false;
  if (all.substr(recordStart - kRecordKey.size(), kRecordKey.size()) != kRecordKey ||
      all[recordStart] != '{' || all[recordEnd - 1] != '}') {
    return false;
  }
  const std::string_view record = all.substr(recordStart, length);
  const size_t nodesAt = record.substr(0, kHeadSearched).find(kNodesKey);
  if (nodesAt == std::string_view::npos || !ReadPiece(parser, "", record.substr(0, nodesAt), "}",
                                                      [&](std::string_view key, value member) {
                                                        return ReadHeadMember(key, member,
                                                                              found.head);
                                                      })) {
    return false;
  }
  // The head: the members before the changes, which are a list.
  const size_t headEnd = std::min(kHeadSearched, recordStart);
  if (!read(0, headEnd)) return false;
  const size_t changesAt = all.substr(0, headEnd).find(kChangesKey);
  if (changesAt == std::string_view::npos) return false;
  const size_t listAt = changesAt + kChangesKey.size();
  if (listAt >= headEnd || all[listAt] != '[' ||
      !ReadPiece(parser, "", all.substr(0, listAt), "[]}", [&](std::string_view key, value member) {
        return key != "made_from" && ReadPlanMember(key, member, found);
      })) {
    return false;
  }
  found.changes = {};
  found.record = record;
  found.hasRecord = true;
  return found.hasChanges;
}

bool ReadPlanMembers(const simdjson::padded_string& text, PlanMembers& found) {
  simdjson::ondemand::parser parser;
  return ForEachMember(
      parser, text,
      [&found](simdjson::ondemand::document& document, std::string_view key, value content) {
        if (key != "made_from") return ReadPlanMember(key, content, found);
        found.hasRecord = ReadRecord(document, content, found);
        return found.hasRecord;
      });
}
