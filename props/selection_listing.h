// A paged listing of one line per selected object (obj.SET option and obj.QPK rule on a
// reserved name). Only selected objects count as the listing's entries when the pager goes
// back.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "props/object_selection.h"
#include "runtime/command_context.h"

// Prints header (when not null) and then lineOf's line for every selected object, in key order.
// lineOf reports its own failure and gives nothing: that object takes no line, and the listing
// stops (false) unless CONTINUE is ON. True when the listing ended or was quit.
bool PageSelection(const CommandContext& command, const ObjectSelection& selection,
                   const char* header,
                   const std::function<std::optional<std::string>(ConfigObject&)>& lineOf);
