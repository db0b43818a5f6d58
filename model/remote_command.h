// Sending a command to an object's node; "autoconfig" and "reconfig" wait for the
// reconfiguration that they start to finish.
#pragma once

#include "model/config_object.h"
#include "runtime/console.h"

// Runs command with arguments on the object's node. For "autoconfig" and "reconfig" (any case)
// sends "reconfig" and then polls "autoconfig_status" every 2 seconds until it reports the end;
// with showProgress, "Autoconfig is running " and a dot per poll go to the console. True
// when the node accepted the command (and the reconfiguration succeeded).
bool RunObjectCommand(ConfigObject& object, const char* command, const char* arguments,
                      Console& console, bool showProgress);

// Judges an "autoconfig_status" text: "R S N", a running flag, one separator and a result.
// running is set while the first character is '1'; otherwise succeeded tells whether the result
// is 0. A text too short to hold a result counts as a failed run.
struct ReconfigStatus {
  bool running = false;
  bool succeeded = false;
};
ReconfigStatus ParseReconfigStatus(const char* status);
