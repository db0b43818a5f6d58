// Reading numbers the way C's atoi does, without its undefined behaviour on overflow.
#pragma once

#include <string_view>

// Skips leading white space, takes an optional sign and then digits; no digits gives 0. A value
// beyond the range of int gives INT_MAX or INT_MIN instead of undefined behaviour.
int ParseIntLikeAtoi(std::string_view text);
