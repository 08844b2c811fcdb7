// Reading the week's actions, their lanes and the placement of their bars.
#include "views/WeekViewData.h"

#include "core/ActionRecord.h"
#include "core/DateTimeText.h"
#include "core/Trace.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Call-site number of the week's reads, shown as ln in the message.
constexpr int kLnWeekRead = 4301;

DateValue DateTimeOf(std::u16string_view text, bool endOfDayAsLastSecond) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    if (text.size() < 10 || ParseDateText(text.substr(0, 10), y, mo, d) != 0) return {};
    std::u16string_view time = text.size() > 11 ? text.substr(11) : std::u16string_view();
    if (endOfDayAsLastSecond && IsEndOfDayText(time) == 0)
        h = 23, mi = 59, s = 59;
    else if (ParseTimeText(time, h, mi, s) != 0)
        return {};
    return DateValue::FromFields(y, mo, d, h, mi, s);
}

int SecondsOfDay(const DateValue& value) {
    int y, mo, d, h, mi, s;
    if (!value.ToFields(y, mo, d, h, mi, s)) return 0;
    return h * 3600 + mi * 60 + s;
}

std::u16string DateText(const DateValue& value) {
    int y, mo, d;
    if (!value.ToDate(y, mo, d)) return {};
    return FormatDateText(y, mo, d);
}

// Whole days from weekStart to the date of value, truncated toward zero; -1 when invalid.
int RowOf(const DateValue& value, const DateValue& weekStart) {
    int y, mo, d;
    if (!value.valid || !weekStart.valid || !value.ToDate(y, mo, d)) return -1;
    DateValue day = DateValue::FromFields(y, mo, d);
    int ys, ms, ds;
    weekStart.ToDate(ys, ms, ds);
    DateValue start = DateValue::FromFields(ys, ms, ds);
    // Whole dates of the OLE form are plain day counts on either side of 1899-12-30.
    return static_cast<int>(std::trunc(day.value - start.value));
}

} // namespace

int DbReadWeekData(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const DateValue& weekStart,
                   WeekData& data) {
    data.entries.clear();
    data.rownum.fill(0);
    data.weekStart = weekStart;
    data.loaded = true;
    if (index.empty()) return 0;
    std::u16string previousDay = DateText(weekStart - DateSpan::FromParts(1, 0, 0, 0));
    if (previousDay.empty()) previousDay = u"0000/00/00";
    std::u16string endDay = DateText(weekStart + DateSpan::FromParts(7, 0, 0, 0));
    if (endDay.empty()) endDay = u"9999/99/99";
    long long p = SearchActionIndex(index, previousDay, u"24:00:00", SearchMode::Lower);
    for (; p >= 0 && p < index.count(); ++p) {
        ActionRecord record;
        HRESULT hr = table.ReadActionById(index.IdAt(p), record);
        if (hr == DB_E_NOTFOUND) break;
        if (FAILED(hr)) {
            Trace("CMainWnd::DbReadWeekData Select Err (ln=%d, hr=%x)", kLnWeekRead, static_cast<unsigned>(hr));
            ShowMessage(owner, TraceBuffer(), u"ERROR", MB_OK);
            break;
        }
        std::u16string start = record[ActionField::StaDateTime].value_or(u"");
        if (std::u16string_view(start).substr(0, 10) >= endDay) break;
        WeekEntry entry;
        entry.position = p;
        entry.id = record[ActionField::ActId].value_or(u"");
        entry.start = DateTimeOf(start, false);
        entry.end = DateTimeOf(record[ActionField::EndDateTime].value_or(u""), true);
        entry.subject = record[ActionField::Subject].value_or(u"");
        data.entries.push_back(std::move(entry));
    }
    if (!data.entries.empty()) CalcWeekRepetition(data, weekStart);
    return static_cast<int>(data.entries.size());
}

void CalcWeekRepetition(WeekData& data, const DateValue& weekStart) {
    data.rownum.fill(0);
    std::vector<WeekEntry>& entries = data.entries;
    for (WeekEntry& e : entries)
        e.row = RowOf(e.start, weekStart);
    for (size_t i = 0; i < entries.size(); ++i) {
        WeekEntry& a = entries[i];
        a.lane = -1;
        int cS = 0, cE = 0;
        std::multiset<int> taken;
        for (size_t j = 0; j < entries.size(); ++j) {
            const WeekEntry& b = entries[j];
            if (j == i || b.row != a.row) continue;
            if (a.start >= b.start && a.start < b.end) {
                ++cS;
                taken.insert(b.lane);
            }
            if (a.end > b.start && a.end <= b.end) ++cE;
        }
        a.lane = 0;
        for (int v : taken)
            if (v >= 0 && v == a.lane) ++a.lane;
        a.dup = std::max(cS, cE) + 1;
        if (a.row >= 0 && a.row < 7)
            data.rownum[static_cast<size_t>(a.row)] = std::max(data.rownum[static_cast<size_t>(a.row)], a.dup);
    }
}

BarRect WeekBarRect(const WeekEntry& entry, const WeekData& data, int left, int right, int top, int rowHeight) {
    BarRect bar;
    if (entry.row < 0 || entry.row > 6 || data.rownum[static_cast<size_t>(entry.row)] < 1 || entry.dup < 1) return bar;
    long long span = right - left;
    bar.x = left + static_cast<int>(SecondsOfDay(entry.start) * span / 86400);
    int endX = left + static_cast<int>(SecondsOfDay(entry.end) * span / 86400);
    // An action that runs past midnight reaches the row's end.
    if (CompareDay(entry.end, entry.start) > 0) endX = right;
    bar.width = std::max(2, endX - bar.x);
    bar.height = rowHeight / entry.dup;
    bar.y = top + entry.row * rowHeight + entry.lane * bar.height;
    bar.shown = true;
    return bar;
}
