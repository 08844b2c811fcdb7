// Date and page arithmetic of the views' navigation.
#include "views/Navigation.h"

#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/DateValue.h"
#include "store/ActionIndex.h"

#include <algorithm>

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

void SetMonth(ShownDate& date, int year, int month) {
    if (year < kFirstYear || year > kLastYear) return;
    date.year = year;
    date.month = month;
    date.day = std::min(date.day, DaysInMonth(year, month));
}

} // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void AddDays(ShownDate& date, int days) {
    DateValue moved = DateValue::FromFields(date.year, date.month, date.day) + DateSpan::FromParts(days, 0, 0, 0);
    int y, m, d;
    if (!moved.valid || !moved.ToDate(y, m, d) || y < kFirstYear || y > kLastYear) return;
    date = {y, m, d};
}

int WeekdayOf(const ShownDate& date) {
    return ::WeekdayOf(date.year, date.month, date.day);
}

void MoveToWeekday(ShownDate& date, int k) {
    AddDays(date, k - (WeekdayOf(date) + 1));
}

void PreviousMonth(ShownDate& date) {
    if (date.month == 1)
        SetMonth(date, date.year - 1, 12);
    else
        SetMonth(date, date.year, date.month - 1);
}

void NextMonth(ShownDate& date) {
    if (date.month == 12)
        SetMonth(date, date.year + 1, 1);
    else
        SetMonth(date, date.year, date.month + 1);
}

void PreviousYear(ShownDate& date) {
    if (date.year > kFirstYear) SetMonth(date, date.year - 1, date.month);
}

void NextYear(ShownDate& date) {
    SetMonth(date, date.year + 1, date.month);
}

int LastListPage(long long count, int pageSize) {
    if (count <= 0 || pageSize <= 0) return 0;
    return static_cast<int>((count - 1) / pageSize);
}

int ListPageOfDate(const ActionIndex& index, const ShownDate& date, int pageSize) {
    long long count = index.count();
    if (count == 0 || pageSize <= 0) return 0;
    long long q =
        SearchActionIndex(index, FormatDateText(date.year, date.month, date.day), u"24:00:00", SearchMode::Lower);
    if (q < 0 || q >= count) return 0;
    // Page p holds positions count − 1 − p × pageSize downwards.
    return static_cast<int>((count - 1 - q) / pageSize);
}
