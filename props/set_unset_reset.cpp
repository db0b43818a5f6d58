// obj.SET [option [value]], obj.UNSET option, obj.RESET option: list and edit properties in the
// objects' working copies. Nothing reaches the installation before COMMIT.
#include <iterator>
#include <string>
#include <vector>

#include "entry/script_session.h"
#include "interp/pager.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "props/object_selection.h"
#include "runtime/console.h"

namespace {

constexpr const char kNoProperty[] =
    "Could not obtain properties or property \"%s\" does not exist for object \"%s\".\n";
constexpr const char kSetFailed[] = "Failed to set \"%s\" value on object \"%s\".\n";

// The selection listing has no header: the first entry is line 1. After a back answer to the
// line numbered lineNumber, the listing goes back a page (true) or starts again (false).
bool BackGoesToPreviousPage(int lineNumber, const ScriptOptions& options) {
  return pagerBackStaysInListing(lineNumber + 1, options.linesPerPage);
}
int EntriesPerBackStep(const ScriptOptions& options) { return pagerBackStep(options.linesPerPage); }

// Every property of one object, one paged line each, in byte-wise name order.
void ListAllProperties(ScriptSession& session, const ScriptOptions& options,
                       ConfigObject& object) {
  const std::map<std::string, std::string> all = object.GetAllProperties();
  const std::vector<std::pair<std::string, std::string>> entries(all.begin(), all.end());
  ListingPager pager(options, /*withHeader=*/false);
  for (pager.Start(); pager.item() < entries.size();) {
    const auto& [name, value] = entries[pager.item()];
    if (!pager.Follow(pagedPrint(session, options, pager.lineNumber(), "%s = %s", name.c_str(),
                                 value.c_str()))) {
      return;
    }
  }
}

// One line per selected object that has the property: "name: option = value".
bool ListPropertyOfSelection(ScriptSession& session, int commandLine,
                             const ScriptOptions& options, const ObjectSelection& selection,
                             const std::string& option) {
  const ObjectRegistry& registry = Registry();
  int lineNumber = 1;
  auto entry = registry.begin();
  while (entry != registry.end()) {
    ConfigObject& object = *entry->second;
    if (!selection.Includes(object)) {
      ++entry;
      continue;
    }
    const char* value = object.GetProperty(option.c_str());
    if (value == nullptr) {
      session.Fail(ResultCode::kNoSuchProperty, commandLine, kNoProperty, option.c_str(),
                   entry->first.c_str());
      if (!options.continueOnError) return false;
      ++entry;
      continue;
    }
    PagerAnswer answer = pagedPrint(session, options, lineNumber, "%s: %s = %s",
                                    entry->first.c_str(), option.c_str(), value);
    if (answer == kPagerQuit) return true;
    if (answer == kPagerBack) {
      if (!BackGoesToPreviousPage(lineNumber, options)) {
        entry = registry.begin();
        lineNumber = 1;
      } else {
        // Only selected objects count as entries; stepping ends at the first registry entry.
        const int step = EntriesPerBackStep(options);
        int stepped = 0;
        while (stepped < step && entry != registry.begin()) {
          --entry;
          if (selection.Includes(*entry->second)) ++stepped;
        }
        lineNumber -= stepped;
      }
      continue;
    }
    ++entry;
    ++lineNumber;
  }
  return true;
}

// Sets option to value on one object; reports the failure (without looking at CONTINUE).
bool SetOnObject(ScriptSession& session, int commandLine, const std::string& objectName,
                 ConfigObject& object, const std::string& option, const std::string& value) {
  if (object.GetProperty(option.c_str()) == nullptr) {
    return session.Fail(ResultCode::kNoSuchProperty, commandLine, kNoProperty, option.c_str(),
                        objectName.c_str());
  }
  if (!object.SetProperty(option.c_str(), value.c_str())) {
    return session.Fail(ResultCode::kSubcommandFailed, commandLine, kSetFailed, option.c_str(),
                        objectName.c_str());
  }
  return true;
}

// The words that tell UNSET and RESET apart.
struct ClearingCommand {
  const char* command;     // "UNSET"
  const char* verb;        // "unset"
  bool restore;            // RESET: back to the value of the last load
};
constexpr ClearingCommand kUnset{"UNSET", "unset", false};
constexpr ClearingCommand kReset{"RESET", "reset", true};

bool ClearProperty(ScriptSession& session, int lineNumber, const std::string& line,
                   const ScriptOptions& options, const std::string& objectName,
                   const ClearingCommand& command) {
  if (tokenCount(line) < 2) {
    return session.Fail(ResultCode::kMissingParameters, lineNumber,
                        "Insufficient paramaters for %s subcommand.\n", command.command);
  }
  const std::string option = getToken(2, line);
  const char* value = command.restore ? nullptr : "";

  ObjectSelection selection(objectName);
  if (ConfigObject* object = selection.single()) {
    if (!object->SetProperty(option.c_str(), value)) {
      return session.Fail(ResultCode::kSubcommandFailed, lineNumber,
                          "Failed to %s \"%s\" value on object \"%s\".\n", command.verb,
                          option.c_str(), object->name.c_str());
    }
    if (options.verbose) {
      consolePrint("Value of %s for %s object %s has been %s.\n", option.c_str(),
                   KindName(object->kind), object->name.c_str(), command.verb);
    }
    return true;
  }
  if (!selection.valid()) return false;

  for (const auto& [name, object] : Registry()) {
    if (!selection.Includes(*object)) continue;
    if (!object->SetProperty(option.c_str(), value)) {
      session.Fail(ResultCode::kSubcommandFailed, lineNumber,
                   "Failed to %s \"%s\" value on object \"%s\".\n", command.verb,
                   option.c_str(), name.c_str());
      if (!options.continueOnError) return false;
    }
  }
  if (options.verbose) {
    consolePrint("Value of %s for %s objects has been %s.\n", option.c_str(), selection.label(),
                 command.verb);
  }
  return true;
}

}  // namespace

bool ScriptSession::HandleObjectSet(int lineNumber, const std::string& line,
                                    ScriptOptions& options, std::string objectName) {
  const std::string option = getToken(2, line);
  const std::string value = restOfLine(3, line);

  ObjectSelection selection(objectName);
  if (ConfigObject* object = selection.single()) {
    if (!value.empty()) {
      if (!SetOnObject(*this, lineNumber, object->name, *object, option, value)) return false;
      if (options.verbose) {
        consolePrint("Value of %s for %s object %s has been set to %s.\n", option.c_str(),
                     KindName(object->kind), object->name.c_str(), value.c_str());
      }
      return true;
    }
    if (!option.empty()) {
      const char* current = object->GetProperty(option.c_str());
      if (current == nullptr) {
        return Fail(ResultCode::kNoSuchProperty, lineNumber, kNoProperty, option.c_str(),
                    object->name.c_str());
      }
      consolePrint("%s = %s\n", option.c_str(), current);
      return true;
    }
    ListAllProperties(*this, options, *object);
    return true;
  }
  if (!selection.valid()) return false;

  if (!value.empty()) {
    for (const auto& [name, object] : Registry()) {
      if (!selection.Includes(*object)) continue;
      if (!SetOnObject(*this, lineNumber, name, *object, option, value) &&
          !options.continueOnError) {
        return false;
      }
    }
    if (options.verbose) {
      consolePrint("Value of %s for %s objects has been set to %s.\n", option.c_str(),
                   selection.label(), value.c_str());
    }
    return true;
  }
  if (option.empty()) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for SET subcommand on reserved object.\n");
  }
  return ListPropertyOfSelection(*this, lineNumber, options, selection, option);
}

bool ScriptSession::HandleObjectUnset(int lineNumber, const std::string& line,
                                      ScriptOptions& options, std::string objectName) {
  return ClearProperty(*this, lineNumber, line, options, objectName, kUnset);
}

bool ScriptSession::HandleObjectReset(int lineNumber, const std::string& line,
                                      ScriptOptions& options, std::string objectName) {
  return ClearProperty(*this, lineNumber, line, options, objectName, kReset);
}
