// Lines of the CP932 text files (settings, exchange, error files): CR LF on
// writing; LF, CR LF or a lone CR on reading.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writes the text in CP932 followed by CR LF. 0, or -1 when a write fails.
int WriteTextLine(std::FILE* file, std::u16string_view text);
// 0 for a line; -1 at the end of the file (a pending last line without line end is
// still converted into text); -12 when reading fails. byteLength is the line's size in bytes.
int ReadTextLine(std::FILE* file, std::u16string& text, size_t& byteLength);
