// One-line escaping of texts that must stay in one field: backslash, quotes, TAB,
// LF, CR and other control characters become backslash sequences.
#pragma once

#include <string>
#include <string_view>

std::u16string EscapeText(std::u16string_view text);
// The same appended to out.
void AppendEscaped(std::u16string_view text, std::u16string& out);
// Reverses EscapeText: 0 (the text is replaced), or -10001 when memory runs out.
int UnescapeText(std::u16string_view text, std::u16string& out);
