#include "runtime/script_options.h"

#include <cstdlib>

#include "runtime/c_number.h"

ScriptOptions ScriptOptions::EntryDefaults() {
  ScriptOptions options;
  const char* lines = std::getenv("LINES");
  int value = lines == nullptr ? 0 : ParseIntLikeAtoi(lines);
  options.linesPerPage = value == 0 ? 25 : value;
  return options;
}
