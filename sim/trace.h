// The call trace: with ORBITANE_SIM_TRACE set, one line per call into the library, appended to
// that file, so that tests can check which calls the engine made and in what order.
//
// Line format: the operation, the node (Describe), then the arguments, separated by blanks:
//   GetNamedDataItem Broker 127.0.0.1:5465 log:0:0:4096
//   CanAddChild Agent 10.1.1.1:5465 ipaddr=10.0.0.5 port=5465
//   SupplyChildPassword Root ipaddr=10.1.1.1 port=5465 password=***
// Records are written key=value in key order; passwords as *** (non-empty) or "" (empty); line
// feeds, carriage returns, tabs and other control characters in texts as \n, \r, \t and \xHH,
// and a backslash as \\, so that each call stays on one line.
#pragma once

#include <string>
#include <string_view>

#include "orbitane/orbitaneapi.h"

namespace sim {

class Trace {
 public:
  // Starts tracing to path; the empty path turns tracing off. A path that names the site file
  // (the same file, through any link) is refused: the trace would corrupt it. The refusal is
  // reported on standard error once per path ("the trace would be written into the installation
  // file FILE; no trace is written") and tracing is off.
  void SetFile(std::string path, const std::string& siteFile);
  bool On() const { return !tracePath.empty(); }
  // Appends one line (a line feed is added). The file is opened in append mode for each line, so
  // the trace is complete at any moment and survives the process. A trace that cannot be
  // written does not make the call fail; the first such failure after SetFile is reported on
  // standard error ("cannot write the trace: REASON"), the later ones are not.
  void Write(std::string_view line) const;

 private:
  std::string tracePath;
  std::string refusedPath;  // the last path refused, reported once
  mutable bool failureReported = false;
};

// The text with the escapes described above.
std::string TraceText(std::string_view text);
// " key=value" for each entry of the record, in key order.
std::string TraceRecord(const ChildDefinitionData& record);
// " password=***" or " password=\"\"".
std::string TracePassword(const char* password);

}  // namespace sim
