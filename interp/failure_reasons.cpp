#include "interp/failure_reasons.h"

#include <string>

#include "orbitane/extensions.h"
#include "orbitane/orbitaneapi.h"
#include "runtime/case_insensitive.h"
#include "runtime/command_context.h"
#include "runtime/console.h"
#include "runtime/result_codes.h"
#include "runtime/tokens.h"

namespace {

// The command's name: the subcommand of "object.SUBCOMMAND", else the first word.
std::string CommandName(const CommandContext& command) {
  std::string word = getToken(1, command.line);
  const size_t separator = word.find(command.options.objectSeparator);
  return separator == std::string::npos
             ? word
             : word.substr(separator + std::string_view(command.options.objectSeparator).size());
}

// What the operator can do about a refusal of this reason by this command; empty when nothing.
const char* WayOut(int reason, const std::string& name) {
  const bool add = EqualsIgnoringCase(name, "ADD");
  const bool spawn = EqualsIgnoringCase(name, "SPAWN");
  switch (reason) {
    case kOrbitaneRefusalNoAnswer:
      return add ? "ADD -f adds it anyway" : "";
    case kOrbitaneRefusalNotConfigured:
      return spawn ? "ADD puts a broker or a target into the configuration first"
                   : "LIST shows what is there";
    case kOrbitaneRefusalAlreadyThere:
      return add ? "SPAWN declares the one that is there" : "LIST shows what is there";
    case kOrbitaneRefusalGone:
      return "DROP the object and declare it again";
    case kOrbitaneRefusalNoSession:
      return "AUTH with the event server's name, a user and its password";
    case kOrbitaneRefusalPassword:
      return EqualsIgnoringCase(name, "AUTH") ? "" : "give the password after the port";
    default:
      return "";
  }
}

}  // namespace

void ForgetRefusal() {
  if (OrbitaneTakeRefusal == nullptr) return;
  // Called before every command: most have no refusal to forget, and nothing to free.
  if (char* reason = OrbitaneTakeRefusal(nullptr); reason != nullptr) SharedHeapFree(reason);
}

void ExplainRefusal(const CommandContext& command) {
  int reason = 0;
  char* text = OrbitaneTakeRefusal != nullptr ? OrbitaneTakeRefusal(&reason) : nullptr;
  const std::string name = CommandName(command);
  std::string line = text != nullptr ? text : "";
  SharedHeapFree(text);
  // AGENT authenticates with what the latest AUTH gave, also when that AUTH failed.
  if (EqualsIgnoringCase(name, "AGENT") &&
      command.session.resultCode == ResultCode::kNotAuthenticated &&
      command.session.failedAuthLine != 0) {
    if (!line.empty()) line += "; ";
    line += "AGENT used the server, user and password of the failed AUTH on line " +
            std::to_string(command.session.failedAuthLine) + ": AUTH again with the right ones";
  } else if (!line.empty()) {
    const char* wayOut = WayOut(reason, name);
    if (*wayOut != '\0') line += std::string("; ") + wayOut;
  }
  if (!line.empty()) command.console.Error("  %s\n", line.c_str());
}
