// OLE Automation dates: calendar conversion, day stepping and cutting periods into days.
#include "core/DateValue.h"

#include <cmath>

namespace {

// The OLE range: 0100-01-01 to 9999-12-31 23:59:59.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99999;
constexpr double kMaxSpanDays = 3615897.0;
constexpr long long kSecondsPerDay = 86400;
// Days from 1970-01-01 back to 1899-12-30.
constexpr long long kEpochShift = 25569;

// Days of a proleptic Gregorian date counted from 1970-01-01.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

// An OLE date counts whole days with the sign and the time of day without it
// (-1.25 is 1899-12-29 06:00), so arithmetic goes through a plain day line.
double ToLine(double ole) {
    double whole = std::trunc(ole);
    return whole + std::fabs(ole - whole);
}

double FromLine(double line) {
    double whole = std::floor(line);
    double fraction = line - whole;
    return whole >= 0 ? whole + fraction : whole - fraction;
}

DateValue Make(double value, bool valid) {
    DateValue v;
    v.value = value;
    v.valid = valid && std::isfinite(value) && value >= kMinDate && value <= kMaxDate;
    return v;
}

// Whole seconds on the day line, rounded so that 23:59:59 stays 23:59:59.
long long LineSeconds(double ole) {
    return std::llround(ToLine(ole) * kSecondsPerDay);
}

long long FloorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

long long DayNumber(const DateValue& v) {
    return FloorDiv(LineSeconds(v.value), kSecondsPerDay);
}

DateValue StartOfDay(long long dayNumber) {
    return Make(FromLine(static_cast<double>(dayNumber)), true);
}

} // namespace

DateSpan DateSpan::FromParts(double days, int hours, int minutes, int seconds) {
    DateSpan s;
    s.days = days + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0;
    s.valid = std::isfinite(s.days) && std::fabs(s.days) <= kMaxSpanDays;
    return s;
}

DateValue DateValue::FromFields(int year, int month, int day, int hour, int minute, int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return DateValue{};
    long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
    double line = static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
    DateValue v = Make(FromLine(line), true);
    // Accepted only when converting back gives the same fields (2010/02/30 does not).
    int y, mo, d, h, mi, s;
    if (!v.ToFields(y, mo, d, h, mi, s) || y != year || mo != month || d != day || h != hour || mi != minute ||
        s != second)
        return DateValue{};
    return v;
}

bool DateValue::ToFields(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
    if (!valid) return false;
    long long total = LineSeconds(value);
    long long days = FloorDiv(total, kSecondsPerDay);
    long long rest = total - days * kSecondsPerDay;
    CivilFromDays(days - kEpochShift, year, month, day);
    hour = static_cast<int>(rest / 3600);
    minute = static_cast<int>(rest / 60 % 60);
    second = static_cast<int>(rest % 60);
    return true;
}

bool DateValue::ToDate(int& year, int& month, int& day) const {
    int h, m, s;
    return ToFields(year, month, day, h, m, s);
}

int DateValue::Weekday() const {
    if (!valid) return -1;
    // Day 0, 1899-12-30, was a Saturday.
    long long w = (DayNumber(*this) + 6) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

DateValue DateValue::operator+(DateSpan span) const {
    if (!valid || !span.valid) return DateValue{};
    return Make(FromLine(ToLine(value) + span.days), true);
}

DateValue DateValue::operator-(DateSpan span) const {
    span.days = -span.days;
    return *this + span;
}

bool operator<(const DateValue& a, const DateValue& b) {
    return a.valid && b.valid && ToLine(a.value) < ToLine(b.value);
}
bool operator>(const DateValue& a, const DateValue& b) {
    return b < a;
}
bool operator<=(const DateValue& a, const DateValue& b) {
    return a.valid && b.valid && ToLine(a.value) <= ToLine(b.value);
}
bool operator>=(const DateValue& a, const DateValue& b) {
    return b <= a;
}
bool operator==(const DateValue& a, const DateValue& b) {
    return a.valid && b.valid && ToLine(a.value) == ToLine(b.value);
}

int CompareDay(const DateValue& a, const DateValue& b) {
    // An invalid value sorts before every valid one.
    if (!a.valid || !b.valid) return a.valid == b.valid ? 0 : (a.valid ? 1 : -1);
    long long da = DayNumber(a), db = DayNumber(b);
    return da < db ? -1 : (da > db ? 1 : 0);
}

int SplitPeriodIntoDays(const DateValue& start, const DateValue& end, std::vector<DayPiece>& pieces) {
    pieces.clear();
    if (!start.valid || !end.valid || end < start) return -1;
    DateValue pieceStart = start;
    while (CompareDay(pieceStart, end) < 0) {
        long long day = DayNumber(pieceStart);
        pieces.push_back({pieceStart, StartOfDay(day) + DateSpan::FromParts(0, 23, 59, 59)});
        pieceStart = StartOfDay(day) + DateSpan::FromParts(1, 0, 0, 0);
    }
    pieces.push_back({pieceStart, end});
    return 0;
}
