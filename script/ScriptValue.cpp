// Number conversions of the memo language. Both directions run in the C locale so a
// decimal point stays a point when the desktop's locale writes a comma.
#include "script/ScriptValue.h"

#include "core/CLocale.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

size_t SkipSignAndBlanks(std::u16string_view text, size_t pos, bool& negative) {
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
    negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
        // The item grammar allows blanks after the sign ("- 5"); they convert too.
        while (pos < text.size() && text[pos] == u' ')
            ++pos;
    }
    return pos;
}

void AppendDigits(std::u16string_view text, size_t& pos, std::string& out) {
    while (pos < text.size() && IsDigit(text[pos]))
        out.push_back(static_cast<char>(text[pos++]));
}

std::u16string Format(const char* format, auto value) {
    char buffer[512];
    locale_t previous = uselocale(CLocaleHandle());
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    uselocale(previous);
    std::u16string out;
    if (n < 0) return out;
    size_t length = std::min(static_cast<size_t>(n), sizeof buffer - 1);
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[i])));
    return out;
}

} // namespace

std::int32_t TextToInt(std::u16string_view text) {
    bool negative = false;
    size_t pos = SkipSignAndBlanks(text, 0, negative);
    std::int64_t v = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        v = v * 10 + (text[pos++] - u'0');
        if (v > std::int64_t{1} << 32) v = std::int64_t{1} << 32; // far enough to saturate
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

double TextToFloat(std::u16string_view text) {
    bool negative = false;
    size_t pos = SkipSignAndBlanks(text, 0, negative);
    std::string ascii = negative ? "-" : "";
    size_t digitsStart = ascii.size();
    AppendDigits(text, pos, ascii);
    if (pos < text.size() && text[pos] == u'.') {
        ascii.push_back('.');
        ++pos;
        AppendDigits(text, pos, ascii);
    }
    if (ascii.size() == digitsStart || ascii.substr(digitsStart) == ".") return 0.0;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        size_t at = pos + 1;
        std::string exponent = "e";
        if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
            exponent.push_back(static_cast<char>(text[at++]));
        if (at < text.size() && IsDigit(text[at])) {
            AppendDigits(text, at, exponent);
            ascii += exponent;
        }
    }
    return StrToDoubleC(ascii.c_str());
}

std::int32_t TruncateToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::u16string FormatInt(std::int32_t v) {
    return Format("%d", v);
}
std::u16string FormatFixed(double v) {
    return Format("%f", v);
}
std::u16string FormatGeneral(double v) {
    return Format("%g", v);
}
