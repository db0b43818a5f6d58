// obj.QPK [rule [value]]: lists the rules with the sensitivity values in force, shows one rule,
// or sets the object's own value for a rule (-1 removes it), on one object or a selection.
#include <vector>

#include "entry/script_session.h"
#include "interp/pager.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "props/object_selection.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

namespace {

constexpr const char kHeaderFormat[] = "RULE %-65s   VALUE";
constexpr const char kHeaderTitle[] = "DESCRIPTION";
constexpr const char kNoRule[] =
    "Could not obtain rule descriptions or rule \"%s\" does not exist for object \"%s\".\n";
constexpr const char kSetFailed[] = "Failed to set %d rule value on object \"%s\".\n";

// Brackets mark a value that comes from above (or the full sensitivity of a rule set nowhere).
char OpeningMark(const RuleRow& row) { return row.inherited ? '[' : ' '; }
char ClosingMark(const RuleRow& row) { return row.inherited ? ']' : ' '; }

// Sets one object's own value; reports the failure (without looking at CONTINUE).
bool SetRuleOnObject(ScriptSession& session, int lineNumber, const std::string& objectName,
                     ConfigObject& object, const std::string& ruleToken, int32_t rule,
                     int32_t value) {
  if (object.GetRuleDescription(rule) == nullptr) {
    return session.Fail(ResultCode::kRuleUnavailable, lineNumber, kNoRule, ruleToken.c_str(),
                        objectName.c_str());
  }
  if (!object.SetRuleValue(rule, value)) {
    return session.Fail(ResultCode::kRuleValueFailed, lineNumber, kSetFailed, rule,
                        objectName.c_str());
  }
  return true;
}

// The header and every rule of one object, paged.
void ListRuleTable(ScriptSession& session, const ScriptOptions& options, ConfigObject& object) {
  const RuleTable table = object.GetRuleTable();
  const std::vector<std::pair<int32_t, RuleRow>> rows(table.begin(), table.end());
  ListingPager pager(options);
  pager.Start();
  while (pager.atHeader() || pager.item() < rows.size()) {
    PagerAnswer answer;
    if (pager.atHeader()) {
      answer = pagedPrint(session, options, pager.lineNumber(), kHeaderFormat, kHeaderTitle);
    } else {
      const auto& [rule, row] = rows[pager.item()];
      answer = pagedPrint(session, options, pager.lineNumber(), "%-4d %-65s = %c%2d%c", rule,
                          row.description.c_str(), OpeningMark(row), row.value,
                          ClosingMark(row));
    }
    if (!pager.Follow(answer)) return;
  }
}

// The header and one row per selected object for one rule, paged; objects without the rule are
// reported and take no line.
bool ListRuleOfSelection(ScriptSession& session, int commandLine, const ScriptOptions& options,
                         const ObjectSelection& selection, const std::string& ruleToken,
                         int32_t rule) {
  const ObjectRegistry& registry = Registry();
  auto entry = registry.begin();
  int lineNumber = 1;
  bool atHeader = true;
  while (atHeader || entry != registry.end()) {
    PagerAnswer answer;
    if (atHeader) {
      answer = pagedPrint(session, options, lineNumber, kHeaderFormat, kHeaderTitle);
    } else {
      ConfigObject& object = *entry->second;
      if (!selection.Includes(object)) {
        ++entry;
        continue;
      }
      const RuleRow row = object.GetRule(rule);
      if (row.description.empty()) {
        session.Fail(ResultCode::kRuleUnavailable, commandLine, kNoRule, ruleToken.c_str(),
                     entry->first.c_str());
        if (!options.continueOnError) return false;
        ++entry;
        continue;
      }
      answer = pagedPrint(session, options, lineNumber, "%s: %-4d %-65s = %c%2d%c",
                          entry->first.c_str(), rule, row.description.c_str(),
                          OpeningMark(row), row.value, ClosingMark(row));
    }
    if (answer == kPagerQuit) return true;
    if (answer == kPagerBack) {
      if (!pagerBackStaysInListing(lineNumber + 1, options.linesPerPage)) {
        atHeader = true;
        entry = registry.begin();
        lineNumber = 1;
      } else {
        // Back over the previous page's selected objects, the one just shown included.
        const int step = pagerBackStep(options.linesPerPage);
        for (int stepped = 0; stepped < step && entry != registry.begin();) {
          --entry;
          if (selection.Includes(*entry->second)) {
            ++stepped;
            --lineNumber;
          }
        }
      }
      continue;
    }
    if (atHeader) {
      atHeader = false;
    } else {
      ++entry;
    }
    ++lineNumber;
  }
  return true;
}

}  // namespace

bool ScriptSession::HandleObjectQpk(int lineNumber, const std::string& line,
                                    ScriptOptions& options, std::string objectName) {
  const std::string ruleToken = getToken(2, line);
  const std::string valueToken = getToken(3, line);
  const int32_t rule = parseIntLikeAtoi(ruleToken);
  const int32_t value = parseIntLikeAtoi(valueToken);

  ObjectSelection selection(objectName);
  if (ConfigObject* object = selection.single()) {
    if (!valueToken.empty()) {
      if (!SetRuleOnObject(*this, lineNumber, object->name, *object, ruleToken, rule, value)) {
        return false;
      }
      if (options.verbose) {
        consolePrint("Rule value of %d for %s object %s has been set to %s.\n", rule,
                     KindName(object->kind), object->name.c_str(), valueToken.c_str());
      }
      return true;
    }
    if (!ruleToken.empty()) {
      const RuleRow row = object->GetRule(rule);
      if (row.description.empty()) {
        return Fail(ResultCode::kRuleUnavailable, lineNumber, kNoRule, ruleToken.c_str(),
                    object->name.c_str());
      }
      consolePrint("RULE %-65s   VALUE\n", kHeaderTitle);
      consolePrint("%-4d %-65s = %c%2d%c\n", rule, row.description.c_str(), OpeningMark(row),
                   row.value, ClosingMark(row));
      return true;
    }
    ListRuleTable(*this, options, *object);
    return true;
  }
  if (!selection.valid()) return false;

  if (!valueToken.empty()) {
    for (const auto& [name, object] : Registry()) {
      if (!selection.Includes(*object)) continue;
      if (!SetRuleOnObject(*this, lineNumber, name, *object, ruleToken, rule, value) &&
          !options.continueOnError) {
        return false;
      }
    }
    if (options.verbose) {
      consolePrint("Rule value of %d for %s objects has been set to %s.\n", rule,
                   selection.label(), valueToken.c_str());
    }
    return true;
  }
  if (ruleToken.empty()) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for QPK subcommand on reserved object.\n");
  }
  return ListRuleOfSelection(*this, lineNumber, options, selection, ruleToken, rule);
}
