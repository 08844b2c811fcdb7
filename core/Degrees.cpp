// Degrees/minutes/seconds texts of geographic coordinates.
#include "core/Degrees.h"

#include "core/Utf.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Whole degrees (toward zero), whole minutes and the seconds of |value|. False for
// values no coordinate can have (not finite or beyond the int range).
bool Breakdown(double value, int& degrees, int& minutes, double& seconds) {
    if (!std::isfinite(value) || std::fabs(value) >= 2147483647.0) return false;
    double whole = std::trunc(value);
    double rest = std::fabs(value - whole) * 60.0;
    degrees = static_cast<int>(whole);
    minutes = static_cast<int>(rest);
    seconds = (rest - minutes) * 60.0;
    return true;
}

// Reads a run of digits with at most one '.', whatever the C locale's decimal point is.
double DecimalValue(const std::string& text) {
    double v = 0;
    if (text.empty() || text == ".") return 0;
    std::string t = text.front() == '.' ? "0" + text : text;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

} // namespace

std::u16string FormatDegreesText(double value) {
    int degrees, minutes;
    double seconds;
    if (!Breakdown(value, degrees, minutes, seconds)) return FormatText("%f", value);
    // Between -1 and 0 the degrees field is 0; the sign goes in front so the text reads back negative.
    const char* sign = (value < 0 && degrees == 0) ? "-" : "";
    return FormatText("%s%d/%d/%f", sign, degrees, minutes, seconds);
}

void SplitDegrees(double value, int& degrees, int& minutes, int& seconds, int& milliseconds) {
    double s = 0;
    degrees = minutes = seconds = milliseconds = 0;
    if (!Breakdown(value, degrees, minutes, s)) return;
    seconds = static_cast<int>(s);
    milliseconds = static_cast<int>((s - seconds) * 1000.0);
}

int ParseDegreesText(std::u16string_view text, double& value) {
    enum {
        Start = 100,
        AfterSign = 101,
        InDegrees = 102,
        BeforeMinutes = 200,
        InMinutes = 201,
        BeforeSeconds = 300,
        InSeconds = 301
    };
    int state = Start;
    bool negative = false, seenPoint = false;
    std::string parts[3];
    for (char16_t c : text) {
        bool digit = c >= u'0' && c <= u'9';
        char ch = static_cast<char>(c);
        switch (state) {
        case Start:
            if (c == u'-')
                negative = true, state = AfterSign;
            else if (digit)
                parts[0] += ch, state = InDegrees;
            else
                return -100;
            break;
        case AfterSign:
            if (!digit) return -101;
            parts[0] += ch, state = InDegrees;
            break;
        case InDegrees:
            if (digit)
                parts[0] += ch;
            else if (c == u'/')
                state = BeforeMinutes;
            else
                return -102;
            break;
        case BeforeMinutes:
            if (!digit) return -200;
            parts[1] += ch, state = InMinutes;
            break;
        case InMinutes:
            if (digit)
                parts[1] += ch;
            else if (c == u'/')
                state = BeforeSeconds;
            else
                return -201;
            break;
        case BeforeSeconds:
        case InSeconds:
            if (c == u'.' && !seenPoint)
                seenPoint = true;
            else if (!digit)
                return state == BeforeSeconds ? -300 : -301;
            parts[2] += ch, state = InSeconds;
            break;
        }
    }
    if (state != InSeconds) return state;
    double v = DecimalValue(parts[2]) / 3600.0 + DecimalValue(parts[1]) / 60.0 + DecimalValue(parts[0]);
    value = negative ? -v : v;
    return 0;
}
