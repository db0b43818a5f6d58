// The read-dispatch loop every script session runs over its lines.
#pragma once

#include "model/workspace.h"
#include "runtime/line_source.h"
#include "runtime/script_options.h"
#include "runtime/session_state.h"

// Runs every line of source as a command of session on the objects of workspace, with options as
// the script's own copy; shows the prompt before each line when interactive and QUIET is off.
// Everything it shows or reads goes through the session's console.
void RunInterpreterLoop(Workspace& workspace, SessionState& session, LineSource& source,
                        bool interactive, ScriptOptions options);
