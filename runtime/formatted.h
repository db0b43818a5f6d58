// printf formatting into a string of whatever length the text needs, so nothing is cut or
// written past a buffer.
#pragma once

#include <cstdarg>
#include <string>

std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormattedV(const char* format, va_list arguments);
