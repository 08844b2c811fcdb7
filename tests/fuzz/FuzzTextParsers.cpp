// The small text parsers of core: timestamps, degrees texts and escaped texts. The
// first byte picks the parser (low two bits) and how the rest becomes UTF-16 (bit 7:
// raw little-endian code units, else UTF-8). Each parser's executions are counted and
// printed at exit, so every one is measured on its own.
#include "core/DateTimeText.h"
#include "core/Degrees.h"
#include "core/Escape.h"
#include "core/Utf.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

long long runs[3];

void PrintRuns() {
    std::fprintf(stderr, "text_parsers runs: timestamp %lld, degrees %lld, unescape %lld\n", runs[0], runs[1], runs[2]);
}

std::u16string Units(const std::uint8_t* data, std::size_t size, bool raw) {
    if (!raw) return FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return text;
}

bool SameTimestamp(const Timestamp& a, const Timestamp& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.fraction == b.fraction;
}

// A read timestamp written in the plainest form reads back to the same fields; a
// refused text gives a code of the documented ranges.
void CheckTimestamp(std::u16string_view text) {
    Timestamp read;
    int result = ParseTimestampText(text, read);
    if (result != 0) {
        if (!(result <= -1010 && result >= -1071) && !(result <= -2010 && result >= -2060)) __builtin_trap();
        return;
    }
    if (read.year < 0) return; // a wrapped year has no text form
    std::u16string again = FormatText("%d/%u/%u %u:%u:%u.%u", read.year, read.month, read.day, read.hour, read.minute,
                                      read.second, read.fraction);
    Timestamp back;
    if (ParseTimestampText(again, back) != 0 || !SameTimestamp(read, back)) __builtin_trap();
}

// A read value is finite with the text's sign, and its own text reads back to it
// within the written seconds' precision.
void CheckDegrees(std::u16string_view text) {
    double value = 12345.0;
    int result = ParseDegreesText(text, value);
    if (result != 0) {
        int code = std::abs(result);
        if (code != 100 && code != 101 && code != 102 && code != 200 && code != 201 && code != 300 && code != 301)
            __builtin_trap();
        if (value != 12345.0) __builtin_trap(); // a refused text leaves the value alone
        return;
    }
    if (!std::isfinite(value)) __builtin_trap();
    if (value != 0 && (value < 0) != (text.front() == u'-')) __builtin_trap();
    if (std::fabs(value) >= 2e9) return; // beyond the int degrees the text is a plain number
    double back = 0;
    if (ParseDegreesText(FormatDegreesText(value), back) != 0) __builtin_trap();
    if (std::fabs(back - value) > 1e-9 + std::fabs(value) * 1e-15) __builtin_trap();
}

// Unescaping never lengthens a text; escaping gives one line without control
// characters that unescapes to the text itself.
void CheckEscape(std::u16string_view text) {
    std::u16string plain;
    if (UnescapeText(text, plain) != 0 || plain.size() > text.size()) __builtin_trap();
    std::u16string escaped = EscapeText(text);
    for (char16_t c : escaped)
        if (c < 32) __builtin_trap();
    std::u16string back;
    if (UnescapeText(escaped, back) != 0 || back != text) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool registered = (std::atexit(PrintRuns), true);
    (void)registered;
    if (size == 0) return 0;
    std::u16string text = Units(data + 1, size - 1, (data[0] & 0x80) != 0);
    switch (data[0] & 3) {
    case 0:
    case 3:
        ++runs[0], CheckTimestamp(text);
        break;
    case 1:
        ++runs[1], CheckDegrees(text);
        break;
    case 2:
        ++runs[2], CheckEscape(text);
        break;
    }
    return 0;
}
