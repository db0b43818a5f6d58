// The check every command that names a new object makes: the name may be neither reserved nor
// hold the separator.
#pragma once

#include <string>

#include "runtime/command_context.h"

// Whether name may be given to a new object; when it holds the separator or is a reserved
// name, reports "Bad object name" (code 11) and gives false.
bool AcceptNewObjectName(const CommandContext& command, const std::string& name);
