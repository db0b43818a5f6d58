// The two checks every command that names objects starts with: a subcommand needs a registered
// object (not a reserved name), and a new object needs a name that is neither reserved nor
// holds the separator.
#pragma once

#include <string>

#include "runtime/command_context.h"

class ConfigObject;

// The registered object the subcommand was given, or null after refusing a reserved name with
// "Subcommand <subcommand> may not be used on reserved objects." (code 17).
ConfigObject* RegisteredObjectOrRefuse(const CommandContext& command, const char* subcommand);
// Whether name may be given to a new object; when it holds the separator or is a reserved
// name, reports "Bad object name" (code 11) and gives false.
bool AcceptNewObjectName(const CommandContext& command, const std::string& name);
