// The month grid's counts and the day list's lines.
#include "views/MonthViewData.h"

#include "core/ActionRecord.h"
#include "core/DateTimeText.h"
#include "core/DateValue.h"
#include "core/Trace.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

namespace {

constexpr int kLnDayListRead = 4401;

std::u16string DateOf(const DateValue& value) {
    int y, m, d;
    if (!value.ToDate(y, m, d)) return {};
    return FormatDateText(y, m, d);
}

} // namespace

void PrepareMonthGrid(const ActionIndex& index, int year, int month, MonthGrid& grid) {
    grid = MonthGrid{};
    grid.year = year;
    grid.month = month;
    DateValue first = DateValue::FromFields(year, month, 1);
    int w = first.Weekday() + 1; // 1 Sunday … 7 Saturday
    DateValue start = first + DateSpan::FromParts(w == 1 ? -7 : 1 - w, 0, 0, 0);
    std::u16string before = DateOf(start - DateSpan::FromParts(1, 0, 0, 0));
    long long p = before.empty() ? 0 : SearchActionIndex(index, before, u"24:00:00", SearchMode::Lower);
    if (p < 0) p = 0;
    long long n = index.count();
    bool inMonth = false;
    for (int k = 0; k < 42; ++k) {
        MonthCell& cell = grid.cells[static_cast<size_t>(k)];
        DateValue date = start + DateSpan::FromParts(k, 0, 0, 0);
        if (!date.ToDate(cell.year, cell.month, cell.day)) continue;
        std::u16string day = FormatDateText(cell.year, cell.month, cell.day);
        // Starts whose date text sorts before the cell (a malformed date) are passed over.
        while (p < n && std::u16string_view(index.StartAt(p)).substr(0, 10) < day)
            ++p;
        while (p < n && std::u16string_view(index.StartAt(p)).substr(0, 10) == day) {
            ++cell.count;
            ++p;
        }
        if (cell.day == 1) inMonth = !inMonth;
        cell.inMonth = inMonth;
        if (inMonth) grid.total += cell.count;
    }
    grid.prepared = true;
}

int MonthCellOf(const MonthGrid& grid, const ShownDate& date) {
    for (int k = 0; k < 42; ++k) {
        const MonthCell& c = grid.cells[static_cast<size_t>(k)];
        if (c.year == date.year && c.month == date.month && c.day == date.day) return k;
    }
    return -1;
}

std::u16string MonthDayLineText(std::u16string_view start, std::u16string_view end, std::u16string_view day,
                                int dayMultiMode, std::u16string_view place, std::u16string_view category1,
                                std::u16string_view memo) {
    std::u16string_view startDate = start.substr(0, 10), endDate = end.substr(0, 10);
    std::u16string_view startTime = start.size() > 11 ? start.substr(11, 5) : std::u16string_view();
    std::u16string_view endTime = end.size() > 11 ? end.substr(11, 5) : std::u16string_view();
    auto monthDay = [](std::u16string_view date) {
        return date.size() > 5 ? date.substr(5, 5) : std::u16string_view();
    };
    std::u16string period;
    if (endTime == u"24:00")
        period = std::u16string(monthDay(startDate)) + u"-" + std::u16string(monthDay(endDate));
    else if (dayMultiMode == 2 && endDate != day)
        period = std::u16string(startTime) + u"-" + std::u16string(monthDay(endDate));
    else
        period = std::u16string(startTime) + u"-" + std::u16string(endTime);
    std::u16string text = StripLineBreaks(memo);
    // Twenty characters, a surrogate pair counting as one.
    size_t cut = 0;
    for (int characters = 0; cut < text.size() && characters < 20; ++characters)
        cut += (text[cut] >= 0xD800 && text[cut] < 0xDC00 && cut + 1 < text.size()) ? 2 : 1;
    if (cut < text.size()) text = text.substr(0, cut) + u"...";
    return period + u" " + std::u16string(place) + u"::" + std::u16string(category1) + u"::" + text;
}

int LoadMonthDayList(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                     int dayMultiMode, MonthDayList& list) {
    list = MonthDayList{};
    std::u16string day = FormatDateText(date.year, date.month, date.day);
    std::u16string before =
        DateOf(DateValue::FromFields(date.year, date.month, date.day) - DateSpan::FromParts(1, 0, 0, 0));
    long long p = before.empty() ? 0 : SearchActionIndex(index, before, u"24:00:00", SearchMode::Lower);
    if (p < 0) p = 0;
    list.first = p;
    for (; p < index.count(); ++p) {
        ActionRecord record;
        HRESULT hr = table.ReadActionById(index.IdAt(p), record);
        if (hr == DB_E_NOTFOUND) break;
        if (FAILED(hr)) {
            Trace("MainView:SetDataDayViewForSingle Select Err (ln=%d, hr=%x)", kLnDayListRead,
                  static_cast<unsigned>(hr));
            ShowMessage(owner, TraceBuffer(), u"ERROR", MB_OK);
            return -100;
        }
        std::u16string start = record[ActionField::StaDateTime].value_or(u"");
        if (std::u16string_view(start).substr(0, 10) != day) break;
        list.lines.push_back(MonthDayLineText(start, record[ActionField::EndDateTime].value_or(u""), day, dayMultiMode,
                                              record[ActionField::Place].value_or(u""),
                                              record[ActionField::Category1].value_or(u""),
                                              record[ActionField::Memo].value_or(u"")));
        list.ids.push_back(record[ActionField::ActId].value_or(u""));
    }
    return 0;
}
