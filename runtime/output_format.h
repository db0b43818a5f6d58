// What standard output and standard error carry: text for a person (the default), or JSON Lines
// for a program (one JSON document a line: listings, confirmations, plain text, failures).
// Process-wide, set by the program's option or an entry point before a script runs.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

enum class OutputFormat { kText, kJson };

void SetOutputFormat(OutputFormat format);
bool JsonOutput();

// One document on one line, with its line end. Text that is not UTF-8 has its bad bytes replaced.
std::string JsonLine(const nlohmann::ordered_json& document);
