// Day arithmetic on OLE Automation dates: days since 1899-12-30 as a double, the
// fraction being the time of day, with a validity flag. Used to step days, compare
// days and cut a period at midnight.
#pragma once

#include <vector>

struct DateSpan {
    double days = 0;
    bool valid = true;
    // days + hours/24 + minutes/1440 + seconds/86400; invalid outside ±3615897 days.
    static DateSpan FromParts(double days, int hours, int minutes, int seconds);
};

struct DateValue {
    double value = 0;
    bool valid = false;

    // Valid only when converting back yields the same fields (2010/02/30 is invalid).
    static DateValue FromFields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // false when invalid.
    bool ToFields(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
    bool ToDate(int& year, int& month, int& day) const;
    // 0 Sunday … 6 Saturday; -1 when invalid.
    int Weekday() const;

    DateValue operator+(DateSpan span) const;
    DateValue operator-(DateSpan span) const;
};

// Comparisons are false whenever either value is invalid.
bool operator<(const DateValue& a, const DateValue& b);
bool operator>(const DateValue& a, const DateValue& b);
bool operator<=(const DateValue& a, const DateValue& b);
bool operator>=(const DateValue& a, const DateValue& b);
bool operator==(const DateValue& a, const DateValue& b);

// Compares only year, month and day: -1, 0 or 1.
int CompareDay(const DateValue& a, const DateValue& b);

struct DayPiece {
    DateValue start;
    DateValue end;
};
// Cuts start … end at midnight: every piece but the last ends at 23:59:59, the next
// starts at 00:00:00 of the following day. 0, or -1 (nothing) when end < start.
int SplitPeriodIntoDays(const DateValue& start, const DateValue& end, std::vector<DayPiece>& pieces);
