// The line that follows a failure's message at the terminal (or under --explain): why the
// installation refused the call the command made, and the way out.
#pragma once

struct CommandContext;

// Forgets a refusal of an earlier command, before the next one runs.
void ForgetRefusal();
// Writes the reason of the refusal behind this failure, if the installation gave one.
void ExplainRefusal(const CommandContext& command);
