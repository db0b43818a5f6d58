// The script that takes an installation back from after to before: the inverse of a run, written
// in the command language, for --undo.
#pragma once

#include <string>
#include <vector>

#include "sim/model.h"

namespace sim {

struct UndoScript {
  // Comment lines on what the script cannot restore, then the commands, each line ending in '\n'.
  std::string text;
  // One line for each entry that the run removed and the language cannot create again (a DSM, an
  // autoconfig object, what stood below a removed broker), for the run to warn about.
  std::vector<std::string> lost;
};

// The commands that restore before's entries, properties and rule values on after, in tree order:
// AGENT and SPAWN declare the objects needed (named a1, b1, d1, t1, c1 by kind); an entry the run
// added is spawned and deleted (DEL); one it removed is added again (ADD -f) with its properties
// and own rule values; properties are set back (UNSET where the value was empty or absent), own
// rule values set back with QPK (-1 where none was set), and each object changed is committed,
// which also writes its inherited rule values again from the objects above it. Passwords, commands
// sent and what the language cannot express are named in comments.
UndoScript MakeUndoScript(const Site& before, const Site& after);

}  // namespace sim
