// The ANSI code page of the settings and exchange files: always CP932 (the Windows
// form of Shift_JIS), whatever the locale, so files stay byte-compatible with those
// written on the handhelds. Conversion goes through glibc iconv.
#pragma once

#include <string>
#include <string_view>

// UTF-16 to CP932 bytes. Kana followed by U+3099 or U+309A are composed first;
// characters CP932 cannot hold become "?".
std::string ToCp932(std::u16string_view text);
// CP932 bytes to UTF-16. A byte sequence that is not CP932 becomes U+FFFD.
std::u16string FromCp932(std::string_view bytes);
// The same into out (replaced), so a reader of many lines can keep one text.
void FromCp932(std::string_view bytes, std::u16string& out);
// Replaces each kana + combining (semi-)voiced sound mark pair by its precomposed kana.
std::u16string ComposeKana(std::u16string_view text);
