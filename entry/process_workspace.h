// The workspace of the exported functions: created when the library loads, destroyed when it
// unloads. It is the only process-wide object with a constructor or destructor, and only the
// entry points reach it; everything below them is handed the workspace it works in.
#pragma once

#include "model/workspace.h"

// The one instance; it exists from library load to unload.
Workspace& ProcessWorkspace();
