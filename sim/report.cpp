#include "sim/report.h"

#include <cstdio>

#include "sim/escaping.h"

namespace sim {

std::string OneLineProblem(std::string_view file, std::string_view problem) {
  std::string line;
  AppendEscaped(line, file, kMessageEscapes);
  line += ": ";
  AppendEscaped(line, problem, kMessageEscapes);
  return line;
}

void ReportProblem(std::string_view file, std::string_view problem) {
  const std::string line = "orbitane sim: " + OneLineProblem(file, problem) + "\n";
  std::fflush(stdout);
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace sim
