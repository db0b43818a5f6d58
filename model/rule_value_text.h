// The text form of rule sensitivity values, as the installation stores them in "qpk_own" and
// "qpk_inherited": rule number and value pairs in signed decimal, all separated by single blanks.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

using RuleValues = std::map<int32_t, int32_t>;

// "3 7 12 0" for {3: 7, 12: 0}, ascending by rule; the empty text for an empty map.
std::string WriteRuleValueText(const RuleValues& values);

// Adds the pairs of text to values. Tokens are separated by runs of blanks, tabs and line feeds;
// each converts as atoi does (a word without leading digits is 0); a last token without a
// partner is ignored; a later pair for the same rule replaces an earlier one. Never fails.
void ReadRuleValueText(std::string_view text, RuleValues& values);
