// Date and page arithmetic of the views' navigation: moving ShownDate by days, to a
// weekday of its week, by months and years, and the pages of the list view. Dates
// stay within 1900/01/01 … 9999/12/31, the range the date texts can hold.
#pragma once

#include "app/MainApp.h"

class ActionIndex;

// Moves the date by days (negative: back). A move that would leave the range changes nothing.
void AddDays(ShownDate& date, int days);
// 0 Sunday … 6 Saturday.
int WeekdayOf(const ShownDate& date);
// Weekday button k (1 = Sunday … 7 = Saturday): that day of the Sunday-to-Saturday week.
void MoveToWeekday(ShownDate& date, int k);
// Previous month; January goes to December of the previous year, but not below 1900.
// The day is kept, cut to the length of the new month.
void PreviousMonth(ShownDate& date);
void NextMonth(ShownDate& date);
// One year back when the year is above 1900; one year on (up to 9999). Day cut as above.
void PreviousYear(ShownDate& date);
void NextYear(ShownDate& date);
int DaysInMonth(int year, int month);

// The list view's last page: (count − 1) / pageSize, 0 when there are no actions.
int LastListPage(long long count, int pageSize);
// The page (newest first) holding the first action at or after date 24:00:00;
// page 0 when there is none.
int ListPageOfDate(const ActionIndex& index, const ShownDate& date, int pageSize);
