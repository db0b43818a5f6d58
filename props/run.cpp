// obj.RUN command [arguments] (also obj.EXEC): remote commands on one object or a selection,
// and the command path that COMMIT uses for "restart" and "reload".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "entry/script_session.h"
#include "interp/case_insensitive.h"
#include "interp/result_codes.h"
#include "interp/tokens.h"
#include "props/object_access.h"
#include "props/object_selection.h"
#include "props/remote_command.h"
#include "runtime/c_number.h"
#include "runtime/console.h"

namespace {

constexpr auto kStatusPollInterval = std::chrono::milliseconds(2000);

void ShowProgress(const char* text) {
  consolePrint("%s", text);
  std::fflush(stdout);
}

}  // namespace

ReconfigStatus ParseReconfigStatus(const char* status) {
  ReconfigStatus result;
  if (status[0] == '1') {
    result.running = true;
    return result;
  }
  // The result follows the flag and one separator; without it the run cannot be called good.
  if (status[0] == '\0' || status[1] == '\0') return result;
  result.succeeded = parseIntLikeAtoi(status + 2) == 0;
  return result;
}

bool RunObjectCommand(ConfigObject& object, const char* command, const char* arguments,
                      bool showProgress) {
  if (!IsAvailable(object)) return false;
  if (!equalsIgnoringCase(command, "autoconfig") && !equalsIgnoringCase(command, "reconfig")) {
    return object.node->ExecuteCommand(command, arguments);
  }
  if (!object.node->ExecuteCommand("reconfig", arguments)) return false;

  if (showProgress) ShowProgress("Autoconfig is running ");
  ReconfigStatus status;
  do {
    std::this_thread::sleep_for(kStatusPollInterval);
    if (showProgress) ShowProgress(".");
    char* text = object.node->GetNamedDataItem("autoconfig_status");
    if (text == nullptr) return false;
    status = ParseReconfigStatus(text);
    SharedHeapFree(text);
  } while (status.running);
  if (showProgress) consolePrint("\n");
  return status.succeeded;
}

bool ScriptSession::HandleObjectRun(int lineNumber, const std::string& line,
                                    ScriptOptions& options, std::string objectName) {
  if (tokenCount(line) < 2) {
    return Fail(ResultCode::kMissingParameters, lineNumber,
                "Insufficient paramaters for RUN subcommand.\n");
  }
  const std::string command = getToken(2, line);
  const std::string arguments = restOfLine(3, line);

  ObjectSelection selection(objectName);
  if (ConfigObject* object = selection.single()) {
    if (!RunObjectCommand(*object, command.c_str(), arguments.c_str(), options.verbose)) {
      return Fail(ResultCode::kSubcommandFailed, lineNumber,
                  "Run of \"%s\" failed on object \"%s\".\n", command.c_str(),
                  object->name.c_str());
    }
    if (options.verbose) {
      consolePrint("Command %s ran successfully for %s object %s.\n", command.c_str(),
                   KindName(object->kind), object->name.c_str());
    }
    return true;
  }
  if (!selection.valid()) return false;

  for (const auto& [name, object] : Registry()) {
    if (!selection.Includes(*object)) continue;
    if (!RunObjectCommand(*object, command.c_str(), arguments.c_str(), options.verbose)) {
      Fail(ResultCode::kSubcommandFailed, lineNumber, "Run of \"%s\" failed on object \"%s\".\n",
           command.c_str(), name.c_str());
      if (!options.continueOnError) return false;
    }
  }
  if (options.verbose) {
    consolePrint("Command %s ran successfully for all %sobjects.\n", command.c_str(),
                 selection.label());
  }
  return true;
}
