#include "runtime/script_options.h"

#include <cstdlib>

#include "runtime/c_number.h"
#include "runtime/page_length.h"

ScriptOptions ScriptOptions::EntryDefaults() {
  ScriptOptions options;
  if (ProgramPageLength() >= 0) {
    options.linesPerPage = kProgramPageLength;
    return options;
  }
  const char* lines = std::getenv("LINES");
  int value = lines == nullptr ? 0 : ParseIntLikeAtoi(lines);
  options.linesPerPage = value == 0 ? 25 : value;
  return options;
}
