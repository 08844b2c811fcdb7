// The month view's data: the six-week grid of a month with the number of actions
// starting on each day (counted from the action index alone), and the lines of the
// selected day's list.
#pragma once

#include "app/MainApp.h"
#include "core/MessageBox.h"

#include <array>
#include <string>
#include <vector>

class ActionIndex;
class UserDataTable;

struct MonthCell {
    int year = 0, month = 0, day = 0;
    int count = 0;
    bool inMonth = false;
};

struct MonthGrid {
    int year = 0, month = 0;
    bool prepared = false;
    std::array<MonthCell, 42> cells{};
    int total = 0; // actions starting on days of the month itself
};

// The grid starts on the Sunday before the 1st, a whole week before when the 1st is
// itself a Sunday.
void PrepareMonthGrid(const ActionIndex& index, int year, int month, MonthGrid& grid);
// The cell index of date in the grid, -1 when it is not there.
int MonthCellOf(const MonthGrid& grid, const ShownDate& date);

struct MonthDayList {
    std::vector<std::u16string> lines; // without the closing "<新規作成>"
    std::vector<std::u16string> ids;
    long long first = 0; // index position of the first line
};

// The actions starting on date, read by identifier, as lines "period place::category1::memo".
// 0, or -100 after the "ERROR" message (the lines read so far stay).
int LoadMonthDayList(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                     int dayMultiMode, MonthDayList& list);
// One line of the day list; the memo without line breaks, cut to 20 characters + "...".
std::u16string MonthDayLineText(std::u16string_view start, std::u16string_view end, std::u16string_view day,
                                int dayMultiMode, std::u16string_view place, std::u16string_view category1,
                                std::u16string_view memo);
