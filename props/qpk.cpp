// obj.QPK [rule [value]]: lists the rules with the sensitivity values in force, shows one rule,
// or sets the object's own value for a rule (-1 removes it), on one object or a selection.
#include <map>
#include <vector>

#include "model/workspace.h"
#include "props/object_selection.h"
#include "props/selection_listing.h"
#include "runtime/c_number.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/listing_output.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

constexpr const char kNoRule[] =
    "Could not obtain rule descriptions or rule \"%s\" does not exist for object \"%s\".\n";
constexpr const char kSetFailed[] = "Failed to set %d rule value on object \"%s\".\n";

RuleEntry RuleRowOf(const ConfigObject& object, int32_t rule, const RuleRow& row) {
  RuleEntry entry{object.name(), rule, row.description, std::nullopt, row.value};
  if (!row.inherited) {
    entry.ownValue = row.value;
    entry.inheritedValue = object.InheritedRuleValue(rule);
  }
  return entry;
}

// Sets one object's own value; reports the failure (without looking at CONTINUE).
bool SetRuleOnObject(const CommandContext& command, ConfigObject& object,
                     const std::string& ruleToken, int32_t rule, int32_t value) {
  if (object.GetRuleDescription(rule) == nullptr) {
    return command.Fail(ResultCode::kRuleUnavailable, kNoRule, ruleToken.c_str(),
                        object.name().c_str());
  }
  if (!object.SetRuleValue(rule, value)) {
    return command.Fail(ResultCode::kRuleValueFailed, kSetFailed, rule, object.name().c_str());
  }
  return true;
}

// The header and every rule of one object, paged.
void ListRuleTable(const CommandContext& command, ConfigObject& object) {
  const RuleTable table = object.GetRuleTable();
  std::vector<ListingRow> rows;
  rows.reserve(table.size());
  for (const auto& [rule, row] : table) rows.push_back(RuleRowOf(object, rule, row));
  RowList listed(std::move(rows));
  PageListing(command, {ListingKind::kRules, command.objectName}, listed);
}

}  // namespace

// What HELP prints for this command.
extern const char* const kQpkHelp[] = {
    "SYNTAX: obj.QPK [rule [DEFAULT|value]]",
    "",
    "Shows or sets the rule sensitivities of the object. Each rule has a",
    "number, a description and a value from 0 to 10. A value set on an",
    "object also holds for the objects below it, unless they set their own.",
    "",
    "Without a parameter, lists all rules with their descriptions and",
    "values. Values in brackets are inherited from an object above, or are",
    "the value 10 that applies when no object sets one.",
    "",
    "With a rule number, shows that rule only. With a rule number and a",
    "value, sets the object's own value for the rule; the value -1 removes",
    "it, so that the inherited value applies again (the word DEFAULT counts",
    "as 0). Changes take effect with obj.COMMIT. On a reserved name such as",
    "ALL, the command applies to all objects of that kind.",
    "",
    "A long list stops at a --more-- prompt after each page; there q stops",
    "the list, b goes back a page and Enter goes on.",
    nullptr,
};

bool HandleObjectQpk(CommandContext& command) {
  const std::string ruleToken = getToken(2, command.line);
  const std::string valueToken = getToken(3, command.line);
  const int32_t rule = ParseIntLikeAtoi(ruleToken);
  const int32_t value = ParseIntLikeAtoi(valueToken);

  ObjectSelection selection(command.workspace.registry(), command.objectName);
  if (!selection.valid()) return false;
  ConfigObject* single = selection.single();
  if (!valueToken.empty()) {
    const WalkOutcome outcome = ForEach(command, selection, [&](ConfigObject& object) {
      return SetRuleOnObject(command, object, ruleToken, rule, value);
    });
    if (outcome.stopped) return false;
    if (command.options.verbose && single != nullptr) {
      command.Confirm("Rule value of %d for %s object %s has been set to %s.\n", rule,
                      KindName(single->kind()), single->name().c_str(), valueToken.c_str());
    } else if (command.options.verbose) {
      command.Confirm("Rule value of %d for %s objects has been set to %s.\n", rule,
                      selection.label(), valueToken.c_str());
    }
    return true;
  }
  if (single == nullptr) {
    if (ruleToken.empty()) {
      return command.Fail(ResultCode::kMissingParameters,
                          "Insufficient paramaters for QPK subcommand on reserved object.\n");
    }
    // The header and one row per selected object; objects without the rule are reported and
    // take no line.
    SelectionRows rows(command, selection, [&](ConfigObject& object) -> std::optional<ListingRow> {
      const RuleRow row = object.GetRule(rule);
      if (row.description.empty()) {
        command.Fail(ResultCode::kRuleUnavailable, kNoRule, ruleToken.c_str(),
                     object.name().c_str());
        return std::nullopt;
      }
      return RuleRowOf(object, rule, row);
    });
    PageListing(command, {ListingKind::kRuleSelection, command.objectName}, rows);
    return !rows.stopped();
  }
  if (ruleToken.empty()) {
    ListRuleTable(command, *single);
    return true;
  }
  const RuleRow row = single->GetRule(rule);
  if (row.description.empty()) {
    return command.Fail(ResultCode::kRuleUnavailable, kNoRule, ruleToken.c_str(),
                        single->name().c_str());
  }
  RowList listed({RuleRowOf(*single, rule, row)});
  PrintListing(command.console, {ListingKind::kRule, command.objectName}, listed);
  return true;
}
