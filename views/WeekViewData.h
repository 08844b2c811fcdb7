// The week view's data: the actions that start in the seven days from a week start,
// read through the action index, and their lanes where they overlap within a day.
// Also the placement of one action's bar in the painted rows.
#pragma once

#include "core/DateValue.h"
#include "core/MessageBox.h"

#include <array>
#include <string>
#include <vector>

class ActionIndex;
class UserDataTable;

struct WeekEntry {
    long long position = 0; // in the action index
    std::u16string id;
    DateValue start;
    DateValue end; // an end at 24:00:00 is kept as 23:59:59 of its day
    std::u16string subject;
    int dup = 0;  // lanes the row height is divided by for this bar
    int row = 0;  // days from the week start to the start date, 0 … 6
    int lane = 0; // 0 = top
};

struct WeekData {
    DateValue weekStart;
    bool loaded = false;
    std::vector<WeekEntry> entries;
    std::array<int, 7> rownum{};
};

// Reads the actions starting in weekStart … weekStart + 6 days by identifier from
// the index positions at and after the week's start, then lays out their lanes.
// Returns the number of entries; a failed read shows its "ERROR" message and keeps
// the entries read so far.
int DbReadWeekData(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const DateValue& weekStart,
                   WeekData& data);

// Rows, lanes, duplicate counts and the rows' lane counts. Two entries overlap where
// one starts inside the other (start ≥ other start and start < other end) or ends
// inside it (end > other start and end ≤ other end): back-to-back entries do not.
void CalcWeekRepetition(WeekData& data, const DateValue& weekStart);

struct BarRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool shown = false;
};
// Where an entry's bar goes: rows of height rowHeight from top, the day running from
// left to right. An action ending on a later day reaches right; every bar is at least
// 2 pixels wide so that it can be tapped. Not shown when its row or dup is below 1.
BarRect WeekBarRect(const WeekEntry& entry, const WeekData& data, int left, int right, int top, int rowHeight);
