// The rows of the day view for one date: the actions that start on it (single-day
// mode) or every action that overlaps it (multi-day mode), with their period texts.
// The window (views/DayView.cpp) puts them into the list control.
#pragma once

#include "app/MainApp.h"
#include "core/MessageBox.h"

#include <string>
#include <string_view>
#include <vector>

class ActionIndex;
class UserDataTable;

struct DayViewRow {
    std::u16string id;
    std::u16string period; // column 0
    std::u16string place;
    std::u16string category1;
    std::u16string memo; // without line breaks
    std::u16string latitude, longitude;
};

struct DayViewData {
    std::vector<DayViewRow> rows;
    // ActionIndex positions of the first and last row (last < first when there are none).
    long long first = 0;
    long long last = -1;
};

// Single-day mode: the index positions of the actions starting on date, each read by
// identifier. 0, or -1 after an "ERROR" message (the rows read so far stay).
int LoadDayViewSingle(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                      DayViewData& data);
// Multi-day mode: one query for the actions overlapping date (and the search
// condition when one is given), in start order. 0, or -1 after an "ERROR" message.
// function names the caller in the messages (the map view reads the same rows).
int LoadDayViewMulti(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                     std::u16string_view searchCondition, DayViewData& data,
                     const char* function = "SetDataDayViewForMulti");

// Column 0 in single-day mode: "hh:mm-hh:mm", or "mm/dd-mm/dd" for an end at 24:00.
std::u16string SingleDayPeriodText(std::u16string_view start, std::u16string_view end);
// Column 0 in multi-day mode: each side as hh:mm when its date is day, else mm/dd;
// an end at 24:00 gives "mm/dd-mm/dd".
std::u16string MultiDayPeriodText(std::u16string_view start, std::u16string_view end, std::u16string_view day);

// The earliest start an action overlapping day can have, as a date-time text, when the
// longest action lasts longestSeconds; empty when it would fall before the calendar.
std::u16string EarliestOverlappingStart(const ShownDate& day, long long longestSeconds);
