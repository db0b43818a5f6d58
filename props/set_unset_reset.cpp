// obj.SET [option [value]], obj.UNSET option, obj.RESET option: list and edit properties in the
// objects' working copies. Nothing reaches the installation before COMMIT.
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "model/workspace.h"
#include "props/object_selection.h"
#include "props/selection_listing.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/listing_output.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

constexpr const char kNoProperty[] =
    "Could not obtain properties or property \"%s\" does not exist for object \"%s\".\n";
constexpr const char kSetFailed[] = "Failed to set \"%s\" value on object \"%s\".\n";

PropertyEntry PropertyRow(const ConfigObject& object, const std::string& name, const char* value,
                          bool changed) {
  return {object.name(), name, value, changed};
}

// Every property of one object, one paged line each, in byte-wise name order.
void ListAllProperties(const CommandContext& command, ConfigObject& object) {
  const std::map<std::string, std::string> all = object.GetAllProperties();
  const std::set<std::string> changed = object.ChangedPropertyNames();
  std::vector<ListingRow> rows;
  rows.reserve(all.size());
  for (const auto& [name, value] : all) {
    rows.push_back(PropertyRow(object, name, value.c_str(), changed.count(name) != 0));
  }
  RowList listed(std::move(rows));
  PageListing(command, {ListingKind::kProperties, command.objectName}, listed);
}

// Sets option to value on one object; reports the failure (without looking at CONTINUE).
bool SetOnObject(const CommandContext& command, ConfigObject& object, const std::string& option,
                 const std::string& value) {
  if (object.GetProperty(option.c_str()) == nullptr) {
    return command.Fail(ResultCode::kNoSuchProperty, kNoProperty, option.c_str(),
                        object.name().c_str());
  }
  if (!object.SetProperty(option.c_str(), value.c_str())) {
    return command.Fail(ResultCode::kSubcommandFailed, kSetFailed, option.c_str(),
                        object.name().c_str());
  }
  return true;
}

// The words that tell UNSET and RESET apart.
struct ClearingCommand {
  const char* verb;  // "unset"
  bool restore;      // RESET: back to the value of the last load
};
constexpr ClearingCommand kUnset{"unset", false};
constexpr ClearingCommand kReset{"reset", true};

bool ClearProperty(const CommandContext& command, const ClearingCommand& clearing) {
  const std::string option = getToken(2, command.line);
  const char* value = clearing.restore ? nullptr : "";

  ObjectSelection selection(command.workspace.registry(), command.objectName);
  if (!selection.valid()) return false;
  const WalkOutcome outcome = ForEach(command, selection, [&](ConfigObject& object) {
    if (object.SetProperty(option.c_str(), value)) return true;
    return command.Fail(ResultCode::kSubcommandFailed,
                        "Failed to %s \"%s\" value on object \"%s\".\n", clearing.verb,
                        option.c_str(), object.name().c_str());
  });
  if (outcome.stopped) return false;
  if (!command.options.verbose) return true;
  if (ConfigObject* object = selection.single()) {
    command.Confirm("Value of %s for %s object %s has been %s.\n", option.c_str(),
                    KindName(object->kind()), object->name().c_str(), clearing.verb);
  } else {
    command.Confirm("Value of %s for %s objects has been %s.\n", option.c_str(), selection.label(),
                    clearing.verb);
  }
  return true;
}

}  // namespace

// What HELP prints for these commands.
extern const char* const kObjectSetHelp[] = {
    "SYNTAX: obj.SET [option [value]]",
    "",
    "Lists or changes the properties of the object, the options of its",
    "associated *.props file. Write option names and values as they are:",
    "no colons or quotes are needed.",
    "",
    "Without a parameter, lists all options of the object with their",
    "values.",
    "",
    "With an option, shows the value of that option.",
    "",
    "With an option and a value, sets the option to the value, which is",
    "the rest of the line and may contain blanks. Only an existing option",
    "can be set. The change takes effect with obj.COMMIT; obj.UNSET clears",
    "an option and obj.RESET undoes a change.",
    "",
    "On a reserved name, the command applies to all objects of that kind",
    "(AGENT, DSM, TARGET, BROKER or AUTOCONFIG) or, with ALL, to every",
    "object; an option must then be given.",
    "",
    "A long list stops at a --more-- prompt after each page. At the prompt:",
    "",
    "    q       stops the list.",
    "    b       goes back a page.",
    "    Enter   goes on with the next page.",
    nullptr,
};

extern const char* const kUnsetHelp[] = {
    "SYNTAX: obj.UNSET <option>",
    "",
    "Sets the option of the object to nothing, an empty value. On a",
    "reserved name such as ALL, unsets it on all objects of that kind. The",
    "change takes effect with obj.COMMIT.",
    nullptr,
};

extern const char* const kResetHelp[] = {
    "SYNTAX: obj.RESET <option>",
    "",
    "Undoes uncommitted changes to the option made with obj.SET or",
    "obj.UNSET: the option gets back the value it had before this session",
    "of hxo_cmdline or at the last obj.COMMIT. On a reserved name such as",
    "ALL, resets the option on all objects of that kind.",
    nullptr,
};

bool HandleObjectSet(CommandContext& command) {
  const std::string option = getToken(2, command.line);
  const std::string value = restOfLine(3, command.line);

  ObjectSelection selection(command.workspace.registry(), command.objectName);
  if (!selection.valid()) return false;
  ConfigObject* single = selection.single();
  if (!value.empty()) {
    const WalkOutcome outcome = ForEach(command, selection, [&](ConfigObject& object) {
      return SetOnObject(command, object, option, value);
    });
    if (outcome.stopped) return false;
    if (command.options.verbose && single != nullptr) {
      command.Confirm("Value of %s for %s object %s has been set to %s.\n", option.c_str(),
                      KindName(single->kind()), single->name().c_str(), value.c_str());
    } else if (command.options.verbose) {
      command.Confirm("Value of %s for %s objects has been set to %s.\n", option.c_str(),
                      selection.label(), value.c_str());
    }
    return true;
  }
  if (single == nullptr) {
    if (option.empty()) {
      return command.Fail(ResultCode::kMissingParameters,
                          "Insufficient paramaters for SET subcommand on reserved object.\n");
    }
    // One line per selected object that has the property: "name: option = value".
    SelectionRows rows(command, selection, [&](ConfigObject& object) -> std::optional<ListingRow> {
      const char* current = object.GetProperty(option.c_str());
      if (current == nullptr) {
        command.Fail(ResultCode::kNoSuchProperty, kNoProperty, option.c_str(),
                     object.name().c_str());
        return std::nullopt;
      }
      return PropertyRow(object, option, current, object.ChangedPropertyNames().count(option) != 0);
    });
    PageListing(command, {ListingKind::kPropertySelection, command.objectName}, rows);
    return !rows.stopped();
  }
  if (option.empty()) {
    ListAllProperties(command, *single);
    return true;
  }
  const char* current = single->GetProperty(option.c_str());
  if (current == nullptr) {
    return command.Fail(ResultCode::kNoSuchProperty, kNoProperty, option.c_str(),
                        single->name().c_str());
  }
  RowList row(
      {PropertyRow(*single, option, current, single->ChangedPropertyNames().count(option) != 0)});
  PrintListing(command.console, {ListingKind::kProperty, command.objectName}, row);
  return true;
}

bool HandleObjectUnset(CommandContext& command) { return ClearProperty(command, kUnset); }

bool HandleObjectReset(CommandContext& command) { return ClearProperty(command, kReset); }
