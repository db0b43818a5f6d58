// The fixed help texts and the topic names that lead to them.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "interp/case_insensitive.h"

// A fixed, read-only list of lines; an empty line is a blank line.
struct HelpText {
  const char* const* lines;
  size_t lineCount;
};

// Topic name -> text, ordered and looked up ignoring case (HELP, SET, ..., obj.ADD, ...).
using HelpTopics = std::map<std::string, HelpText, CaseInsensitiveLess>;

// The 33 topic names and their 26 texts.
HelpTopics BuildHelpTopics();
