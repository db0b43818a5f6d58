// How a new child object ends: registered when its node answers, destroyed otherwise.
#pragma once

#include <memory>
#include <string>

#include "objects/config_object.h"
#include "objects/object_kind.h"

// Enters object in the registry under name when it is alive and returns true; otherwise
// destroys it (and its node) and returns false. A null object (not allocated) gives false.
bool KeepOrDiscard(std::unique_ptr<ConfigObject> object, const std::string& name);
