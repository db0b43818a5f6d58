// Whether a failure's message is followed by a line saying why: the installation's reason for
// refusing a call and the way out, or the nearest known name after a typo. Terminal sessions
// always explain; other sessions when the program asks for it (hxo_cmdline --explain). The
// messages themselves never change.
#pragma once

#include "runtime/script_options.h"

struct CommandContext;

void SetExplainEveryScript(bool on);
bool ExplainsFailures(const ScriptOptions& options);

// The explainer that CommandContext::Fail calls after its message (set by the interpreter).
using FailureExplainer = void (*)(const CommandContext& command);
void SetFailureExplainer(FailureExplainer explainer);
void ExplainFailure(const CommandContext& command);
