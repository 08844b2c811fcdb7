// Date and time texts: formatting, parsing, checking and the period check of an action.
#include "core/DateTimeText.h"

#include "core/Utf.h"

#include <climits>

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The value of a digit run that passed CheckDigits; very long runs saturate so that
// they still fail every range check instead of overflowing.
int DigitValue(std::u16string_view text) {
    long long v = 0;
    for (char16_t c : text) {
        v = v * 10 + (c - u'0');
        if (v > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(v);
}

bool ReadNumber(std::u16string_view text, int& value) {
    if (CheckDigits(text) != 0) return false;
    value = DigitValue(text);
    return true;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return days[month - 1];
}

// Splits "h:m" or "h:m:s" (seconds "00" when absent) and reads the three numbers.
bool SplitTime(std::u16string_view text, int& hour, int& minute, int& second) {
    size_t first = text.find(u':');
    if (first == std::u16string_view::npos) return false;
    std::u16string_view rest = text.substr(first + 1);
    size_t secondColon = rest.find(u':');
    std::u16string_view minutePart = rest.substr(0, secondColon);
    std::u16string_view secondPart = secondColon == std::u16string_view::npos ? u"00" : rest.substr(secondColon + 1);
    return ReadNumber(text.substr(0, first), hour) && ReadNumber(minutePart, minute) && ReadNumber(secondPart, second);
}

int Sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

std::u16string FormatDateText(int year, int month, int day) {
    return FormatText("%04d/%02d/%02d", year, month, day);
}

std::u16string FormatTimeText(int hour, int minute, int second) {
    return FormatText("%02d:%02d:%02d", hour, minute, second);
}

std::u16string FormatHourMinute(int hour, int minute) {
    return FormatText("%02d:%02d", hour, minute);
}

std::u16string FormatDateTimeText(int year, int month, int day, int hour, int minute, int second) {
    return FormatDateText(year, month, day) + u" " + FormatTimeText(hour, minute, second);
}

int CheckDigits(std::u16string_view text) {
    if (text.empty()) return -101;
    for (char16_t c : text)
        if (!IsDigit(c)) return -102;
    return 0;
}

int CheckSignedNumber(std::u16string_view text) {
    bool seenDigit = false;
    for (char16_t c : text) {
        if (IsDigit(c))
            seenDigit = true;
        else if ((c != u'+' && c != u'-') || seenDigit)
            return -101;
    }
    return seenDigit ? 0 : -101;
}

int ParseDateText(std::u16string_view text, int& year, int& month, int& day) {
    size_t first = text.find(u'/');
    if (first == std::u16string_view::npos) return -10;
    size_t second = text.find(u'/', first + 1);
    if (second == std::u16string_view::npos) return -10;
    int y, m, d;
    if (!ReadNumber(text.substr(0, first), y) || !ReadNumber(text.substr(first + 1, second - first - 1), m) ||
        !ReadNumber(text.substr(second + 1), d))
        return -10;
    if (y < 1900 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return -10;
    year = y;
    month = m;
    day = d;
    return 0;
}

int ParseTimeText(std::u16string_view text, int& hour, int& minute, int& second) {
    int h, m, s;
    if (!SplitTime(text, h, m, s)) return -10;
    if (h > 23 || m > 59 || s > 59) return -10;
    hour = h;
    minute = m;
    second = s;
    return 0;
}

int ParseEndTimeText(std::u16string_view text) {
    int h, m, s;
    if (!SplitTime(text, h, m, s)) return -10;
    if (h == 24 && m == 0 && s == 0) return -1;
    if (h > 23 || m > 59 || s > 59) return -10;
    return 0;
}

int ParseTimeEntry(std::u16string_view text, int& hour, int& minute, int& second) {
    if (text.size() != 4 || CheckDigits(text) != 0) return ParseTimeText(text, hour, minute, second);
    int value = DigitValue(text);
    if (value / 100 > 23 || value % 100 > 59) return -10;
    hour = value / 100;
    minute = value % 100;
    second = 0;
    return 0;
}

int IsEndOfDayText(std::u16string_view text) {
    if (text == u"2400") return 0;
    int h, m, s;
    if (SplitTime(text, h, m, s) && h == 24 && m == 0 && s == 0) return 0;
    return 1;
}

std::u16string StripLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u'\r' && c != u'\n') out += c;
    return out;
}

int CompareDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                    std::u16string_view timeB) {
    int c = Sign(dateA.compare(dateB));
    return c != 0 ? c : Sign(timeA.compare(timeB));
}

int EarlierDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                    std::u16string_view timeB, std::u16string& date, std::u16string& time) {
    bool takeB = CompareDateTime(dateA, timeA, dateB, timeB) > 0;
    date = takeB ? dateB : dateA;
    time = takeB ? timeB : timeA;
    return takeB ? 1 : 0;
}

int LaterDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                  std::u16string_view timeB, std::u16string& date, std::u16string& time) {
    bool takeA = CompareDateTime(dateA, timeA, dateB, timeB) > 0;
    date = takeA ? dateA : dateB;
    time = takeA ? timeA : timeB;
    return takeA ? 1 : 0;
}

int ValidateActionPeriod(const ActionRecord& record) {
    const OptText& start = record[ActionField::StaDateTime];
    const OptText& end = record[ActionField::EndDateTime];
    if (!start) return -107;
    if (!end) return -108;
    if (start->size() != 19) return -109;
    if (end->size() != 19) return -110;
    std::u16string_view startDate = std::u16string_view(*start).substr(0, 10);
    std::u16string_view endDate = std::u16string_view(*end).substr(0, 10);
    std::u16string_view startTime = std::u16string_view(*start).substr(11, 8);
    std::u16string_view endTime = std::u16string_view(*end).substr(11, 8);
    int y, m, d, h, mi, s;
    if (ParseDateText(startDate, y, m, d) != 0) return -101;
    if (ParseDateText(endDate, y, m, d) != 0) return -102;
    int endCode = ParseEndTimeText(endTime);
    if (endCode != 0 && endCode != -1) return -103;
    if (ParseTimeText(startTime, h, mi, s) != 0) return -104;
    // An end of 24:00:00 marks a whole day, so the action must start at midnight.
    if (endCode == -1 && !(h == 0 && mi == 0 && s == 0)) return -105;
    if (CompareDateTime(endDate, endTime, startDate, startTime) < 0) return -106;
    return 0;
}

namespace {

// States of the timestamp reader; a failure returns -(1000 + state) for a wrong
// character and -(2000 + state) for an end of text that comes too early.
enum TsState {
    BeforeYear = 10,
    InYear = 11,
    BeforeMonth = 20,
    InMonth = 21,
    BeforeDay = 30,
    InDay = 31,
    BeforeHour = 40,
    InHour = 41,
    BeforeMinute = 50,
    InMinute = 51,
    BeforeSecond = 60,
    InSecond = 61,
    BeforeFraction = 70,
    InFraction = 71,
    AfterSecond = 80,   // trailing blanks after the seconds
    AfterFraction = 81, // trailing blanks after the fraction
};

bool IsDateSeparator(char16_t c) {
    return c == u'/' || c == u'.' || c == u'-';
}

// Adds a digit; the unsigned arithmetic wraps like the engine's field types instead of overflowing.
void AddDigit(std::uint32_t& field, char16_t c) {
    field = field * 10u + static_cast<std::uint32_t>(c - u'0');
}

} // namespace

int ParseTimestampText(std::u16string_view text, Timestamp& out) {
    std::uint32_t f[7] = {0, 0, 0, 0, 0, 0, 0}; // year … second, fraction
    int state = BeforeYear;
    for (char16_t c : text) {
        bool digit = IsDigit(c);
        bool blank = c == u' ';
        switch (state) {
        case BeforeYear:
            if (blank) break;
            if (!digit) return -1010;
            AddDigit(f[0], c), state = InYear;
            break;
        case InYear:
            if (digit)
                AddDigit(f[0], c);
            else if (IsDateSeparator(c))
                state = BeforeMonth;
            else
                return -1011;
            break;
        case BeforeMonth:
            if (!digit) return -1020;
            AddDigit(f[1], c), state = InMonth;
            break;
        case InMonth:
            if (digit)
                AddDigit(f[1], c);
            else if (IsDateSeparator(c))
                state = BeforeDay;
            else
                return -1021;
            break;
        case BeforeDay:
            if (!digit) return -1030;
            AddDigit(f[2], c), state = InDay;
            break;
        case InDay:
            if (digit)
                AddDigit(f[2], c);
            else if (blank)
                state = BeforeHour;
            else
                return -1031;
            break;
        case BeforeHour:
            if (blank) break;
            if (!digit) return -1040;
            AddDigit(f[3], c), state = InHour;
            break;
        case InHour:
            if (digit)
                AddDigit(f[3], c);
            else if (c == u':')
                state = BeforeMinute;
            else
                return -1041;
            break;
        case BeforeMinute:
            // A wrong first minute character counts as a fault in the minute.
            if (!digit) return -1051;
            AddDigit(f[4], c), state = InMinute;
            break;
        case InMinute:
            if (digit)
                AddDigit(f[4], c);
            else if (c == u':')
                state = BeforeSecond;
            else
                return -1051;
            break;
        case BeforeSecond:
            if (!digit) return -1060;
            AddDigit(f[5], c), state = InSecond;
            break;
        case InSecond:
            if (digit)
                AddDigit(f[5], c);
            else if (c == u'.')
                state = BeforeFraction;
            else if (blank)
                state = AfterSecond;
            else
                return -1061;
            break;
        case BeforeFraction:
            if (!digit) return -1070;
            AddDigit(f[6], c), state = InFraction;
            break;
        case InFraction:
            if (digit)
                AddDigit(f[6], c);
            else if (blank)
                state = AfterFraction;
            else
                return -1071;
            break;
        case AfterSecond:
            if (!blank) return -1061;
            break;
        case AfterFraction:
            if (!blank) return -1071;
            break;
        }
    }
    switch (state) {
    case BeforeYear:
        return -2010;
    case InYear:
        return -2011;
    case BeforeMonth:
        return -2020;
    case InMonth:
        return -2021;
    case BeforeDay:
        return -2030;
    case BeforeMinute:
        return -2050;
    case BeforeSecond:
        return -2060;
    default:
        break;
    }
    out.year = static_cast<std::int16_t>(static_cast<std::uint16_t>(f[0]));
    out.month = static_cast<std::uint16_t>(f[1]);
    out.day = static_cast<std::uint16_t>(f[2]);
    out.hour = static_cast<std::uint16_t>(f[3]);
    out.minute = static_cast<std::uint16_t>(f[4]);
    out.second = static_cast<std::uint16_t>(f[5]);
    out.fraction = f[6];
    return 0;
}
