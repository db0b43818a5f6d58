// Comparing names without regard to letter case: letters fold to lower case, then bytes compare.
#pragma once

#include <string_view>

// <0, 0 or >0 as the C runtime's case-insensitive compare (_stricmp) gives.
int CompareIgnoringCase(std::string_view left, std::string_view right);

inline bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
  return left.size() == right.size() && CompareIgnoringCase(left, right) == 0;
}

// Orders the command tables and the help topics.
struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view left, std::string_view right) const {
    return CompareIgnoringCase(left, right) < 0;
  }
};
