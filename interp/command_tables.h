// The two command tables every session builds when its loop starts: session commands by name,
// and object subcommands by name, both looked up ignoring case.
#pragma once

#include <map>
#include <string>

#include "entry/script_session.h"
#include "interp/case_insensitive.h"

using SessionCommandTable =
    std::map<std::string, ScriptSession::CommandHandler, CaseInsensitiveLess>;
using ObjectSubcommandTable =
    std::map<std::string, ScriptSession::SubcommandHandler, CaseInsensitiveLess>;

SessionCommandTable BuildSessionCommands();
ObjectSubcommandTable BuildObjectSubcommands();
