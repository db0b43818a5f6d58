// The simulated library's messages: one line each on standard error.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// Writes "orbitane sim: FILE: PROBLEM" and a line end on standard error, after flushing standard
// output. Control characters in either part (a file name or a key of the site file may hold any)
// are written as \n, \r, \t or \xHH, so that each message is exactly one line.
void ReportProblem(std::string_view file, std::string_view problem);
// "FILE: PROBLEM" as one line, escaped the same way, for a caller that prints it.
std::string OneLineProblem(std::string_view file, std::string_view problem);

}  // namespace sim
