// What may stand at a place in a command line, for a program's Tab completion.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Workspace;

// The words that may replace line[start, end) and begin with it (ignoring case): session
// commands and object names (with the separator) as the first word, "object." and a subcommand
// after an object name, property names of an object whose working set is loaded after its SET,
// UNSET or RESET. Each word is given once, in the order of the command table or the registry of
// workspace.
std::vector<std::string> CompletionsFor(const Workspace& workspace, std::string_view line,
                                        size_t start, size_t end);
