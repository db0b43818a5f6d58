// Escaping text so that it stays on one line and reads back as it was: in the JSON strings of the
// site file, the plan and the snapshot, in the trace's lines and in messages. One escaper, four
// styles.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// Every byte below 0x20 is escaped: as a backslash and a letter when letters holds it ('\n'
// gives "\n"), else as hexPrefix and two hexadecimal digits.
struct EscapeStyle {
  std::string_view quoted;     // the characters written after a backslash: '"' and '\\' in JSON
  std::string_view letters;    // the control characters written as a letter
  std::string_view hexPrefix;  // "\\u00" (JSON) or "\\x"
  const char* hexDigits;       // "0123456789abcdef" or upper case
  bool json;                   // in double quotes; else DEL (0x7F) is escaped too
};

// JSON as the site file and the plan write it: \" \\ \n \r \t \b \f, other controls \u00hh.
extern const EscapeStyle kJsonEscapes;
// JSON as snapshots have always been written: \" \\ \n, every other control \u00hh.
extern const EscapeStyle kSnapshotEscapes;
// Trace lines: \\ \n \r \t, other controls and DEL \xHH, no quotes.
extern const EscapeStyle kTraceEscapes;
// Messages of one line: as trace lines, but a backslash stays as it is.
extern const EscapeStyle kMessageEscapes;

// Appends text escaped in style (quotes included for JSON).
void AppendEscaped(std::string& out, std::string_view text, const EscapeStyle& style);

}  // namespace sim
