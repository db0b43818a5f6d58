// Commands sent to an object's node: RUN's, and the "restart" and "reload" that COMMIT sends.
#include "model/remote_command.h"

#include <chrono>

#include "runtime/c_number.h"
#include "runtime/case_insensitive.h"
#include "runtime/console.h"
#include "runtime/interrupt.h"

namespace {

constexpr auto kStatusPollInterval = std::chrono::milliseconds(2000);

void ShowProgress(Console& console, const char* text) {
  console.Print("%s", text);
  console.FlushOutput();
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
  result.succeeded = ParseIntLikeAtoi(status + 2) == 0;
  return result;
}

bool RunObjectCommand(ConfigObject& object, const char* command, const char* arguments,
                      Console& console, bool showProgress) {
  if (!object.IsAvailable()) return false;
  if (!EqualsIgnoringCase(command, "autoconfig") && !EqualsIgnoringCase(command, "reconfig")) {
    return object.node()->ExecuteCommand(command, arguments);
  }
  if (!object.node()->ExecuteCommand("reconfig", arguments)) return false;

  if (showProgress) ShowProgress(console, "Autoconfig is running ");
  ReconfigStatus status;
  do {
    if (!WaitUnlessInterrupted(console, kStatusPollInterval)) return false;
    if (showProgress) ShowProgress(console, ".");
    char* text = object.node()->GetNamedDataItem("autoconfig_status");
    if (text == nullptr) return false;
    status = ParseReconfigStatus(text);
    SharedHeapFree(text);
  } while (status.running);
  if (showProgress) console.Print("\n");
  return status.succeeded;
}
