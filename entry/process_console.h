// The console over the process's standard output, standard error and standard input, which the
// exported functions give every session they run.
#pragma once

#include "runtime/console.h"

Console& ProcessConsole();
