// Backslash escaping of texts that must stay on one line.
#include "core/Escape.h"

#include "core/Utf.h"

#include <new>

namespace {

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

} // namespace

std::u16string EscapeText(std::u16string_view text) {
    std::u16string out;
    AppendEscaped(text, out);
    return out;
}

void AppendEscaped(std::u16string_view text, std::u16string& out) {
    out.reserve(out.size() + text.size());
    size_t from = 0; // characters from here on are taken as they are
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 32 && c != u'\\' && c != u'"' && c != u'\'') continue;
        out.append(text.substr(from, i - from));
        from = i + 1;
        switch (c) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'\'':
            out += u"\\'";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        default:
            out += FormatText("\\x%04x", static_cast<unsigned>(c));
        }
    }
    out.append(text.substr(from));
}

int UnescapeText(std::u16string_view text, std::u16string& out) {
    try {
        std::u16string result;
        result.reserve(text.size());
        size_t i = 0;
        while (i < text.size()) {
            char16_t c = text[i++];
            if (c != u'\\') {
                result += c;
                continue;
            }
            if (i == text.size()) break; // a backslash at the very end is dropped
            char16_t e = text[i++];
            switch (e) {
            case u'\\':
            case u'"':
            case u'\'':
                result += e;
                break;
            case u't':
                result += u'\t';
                break;
            case u'n':
                result += u'\n';
                break;
            case u'r':
                result += u'\r';
                break;
            case u'x': {
                // The run takes up to four letters or digits; its value is that of its leading hex digits.
                size_t start = i;
                while (i < text.size() && i - start < 4 && IsAsciiAlnum(text[i]))
                    ++i;
                if (i == start) break; // "\x" with no run drops both, as an unknown escape does
                unsigned value = 0;
                for (size_t k = start; k < i && HexDigit(text[k]) >= 0; ++k)
                    value = value * 16 + static_cast<unsigned>(HexDigit(text[k]));
                result += static_cast<char16_t>(value);
                break;
            }
            default:
                break; // an unknown escape drops both characters
            }
        }
        out = std::move(result);
        return 0;
    } catch (const std::bad_alloc&) {
        return -10001;
    }
}
