// Conversions between the UTF-16 texts the program holds and UTF-8, the encoding of
// Linux file names and of the C library's formatted output.
#pragma once

#include <string>
#include <string_view>

std::string ToUtf8(std::u16string_view text);
// The same appended to out.
void AppendUtf8(std::u16string_view text, std::string& out);
// Malformed bytes become U+FFFD.
std::u16string FromUtf8(std::string_view text);

// printf-style formatting through the C library, returned as UTF-16. The format and
// any %s arguments are UTF-8; "%f" gives six decimals, "%g" of DBL_MAX 1.79769e+308,
// always in the C locale (a point, never a comma).
std::u16string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
