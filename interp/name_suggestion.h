// "did you mean PRINT?": after an unknown command, subcommand or object name at the terminal
// (or under --explain), the nearest known name when one is close enough to be a typo of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CommandContext;

enum class NameKind { Command, Subcommand, Object };

// The known name nearest to typed (ignoring case unless exactly), or empty when none is within
// a typo of it: one edit for names up to four letters, two for longer ones.
std::string NearestName(std::string_view typed, const std::vector<std::string_view>& known,
                        bool exactly);

// Writes "  did you mean NAME?" on standard error when a known name of that kind is near typed.
void SuggestName(const CommandContext& command, std::string_view typed, NameKind kind);
