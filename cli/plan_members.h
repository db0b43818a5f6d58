// The members of a saved plan's text that --apply reads: whether its run went to its end, whether
// it was applied, and its record of what it was made from, kept as the text holds it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace simdjson {
struct padded_string;
}

// The members of "made_from" before its nodes.
struct RecordHead {
  std::optional<std::string> script, directory, installation;
  bool hasFormat = false;
};

struct PlanMembers {
  std::string_view changes;  // in the text; empty when read at the plan's ends only
  std::string_view record;   // "made_from", in the text
  RecordHead head;
  std::string applied;
  bool complete = true;
  bool hasChanges = false, hasRecord = false, hasApplied = false;
};

// Reads a plan as this program writes it, at its two ends only: the members before the changes,
// and from the end of the text "made_from_bytes", which gives the place of the record before it,
// and "applied". The changes, the bulk of a large plan, are not read: only a run that differs
// from the plan needs them. False when the text is not laid out so; ReadPlanMembers then reads it.
// The text's bytes need not all be there: read(begin, end) is called for each range before it is
// looked at, and fills it in (false when it cannot).
bool ReadPlanEnds(const simdjson::padded_string& text,
                  const std::function<bool(size_t, size_t)>& read, PlanMembers& found);

// Reads the whole plan, in one pass that does not look into the record's nodes. False when the
// text is not a JSON object or a member read is malformed.
bool ReadPlanMembers(const simdjson::padded_string& text, PlanMembers& found);
