// The page length a listing is paged by. A script's own SET LINES wins; otherwise a program may
// give the length (its window's height, or 0 when its output is not a screen), and may change it
// while a listing runs (the window was resized); without either, LINES or 25 as always.
#pragma once

#include "runtime/script_options.h"

// The value of ScriptOptions::linesPerPage that stands for "the program's page length".
constexpr int kProgramPageLength = -1;

// Sets the program's page length; a negative value withdraws it. Safe from a signal handler.
void SetProgramPageLength(int lines);
// The program's page length; negative when none was given.
int ProgramPageLength();

// The lines per page in force for options: 0 means no paging.
int PageLength(const ScriptOptions& options);
