// The rule list that a node gives as its "rulelist" item: one rule per line, the number, a blank
// or a tab, and the description between two enclosing characters.
#pragma once

#include <string_view>

#include "model/config_object.h"

// Adds the rules of text to descriptions, a later line replacing an earlier one of the same
// number. The number is read as atoi reads it; the description is the rest of the line after
// the one blank or tab that ended the number, without its first and last character.
void ParseRuleList(std::string_view text, RuleDescriptions& descriptions);
