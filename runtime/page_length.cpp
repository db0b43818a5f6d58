#include "runtime/page_length.h"

#include <atomic>

namespace {

std::atomic<int> programPageLength{-1};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void SetProgramPageLength(int lines) { programPageLength.store(lines < 0 ? -1 : lines); }

int ProgramPageLength() { return programPageLength.load(); }

int PageLength(const ScriptOptions& options) {
  if (options.linesPerPage != kProgramPageLength) return options.linesPerPage;
  const int lines = programPageLength.load();
  return lines < 0 ? 25 : lines;
}
