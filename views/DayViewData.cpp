// Loading the day view's rows in both modes.
#include "views/DayViewData.h"

#include "core/DateTimeText.h"
#include "core/DateValue.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

namespace {

// Call-site numbers of the day view's database reads, shown as ln in the messages.
constexpr int kLnSingleRead = 4201;
constexpr int kLnSingleFetch = 4204;
constexpr int kLnMultiSelect = 4202;
constexpr int kLnMultiFetch = 4203;

std::u16string_view DatePart(std::u16string_view dateTime) {
    return dateTime.substr(0, 10);
}
std::u16string_view TimePart(std::u16string_view dateTime) {
    return dateTime.size() > 11 ? dateTime.substr(11, 8) : std::u16string_view();
}
std::u16string HourMinute(std::u16string_view time) {
    return std::u16string(time.substr(0, 5));
}
std::u16string MonthDay(std::u16string_view date) {
    return date.size() > 5 ? std::u16string(date.substr(5, 5)) : std::u16string();
}
bool EndsAtMidnight(std::u16string_view end) {
    return HourMinute(TimePart(end)) == u"24:00";
}

std::u16string TextOf(const OptText& text) {
    return text ? *text : std::u16string();
}

DayViewRow RowOf(const ActionRecord& record, std::u16string period) {
    return {TextOf(record[ActionField::ActId]),
            std::move(period),
            TextOf(record[ActionField::Place]),
            TextOf(record[ActionField::Category1]),
            StripLineBreaks(TextOf(record[ActionField::Memo])),
            TextOf(record[ActionField::Latitude]),
            TextOf(record[ActionField::Longitude])};
}

void ShowDbError(WindowHandle owner, const char* function, const char* step, int ln, HRESULT hr) {
    Trace("CMainWnd:%s %s Err (ln=%d, hr=%x)", function, step, ln, static_cast<unsigned>(hr));
    ShowMessage(owner, TraceBuffer(), u"ERROR", MB_OK);
}

std::vector<std::string> AllColumns() {
    return {std::begin(kUserDataColumns), std::end(kUserDataColumns)};
}

ActionRecord RecordOf(std::vector<OptText>& texts) {
    ActionRecord record;
    for (int i = 0; i < ActionField::Count && i < static_cast<int>(texts.size()); ++i)
        record[i] = std::move(texts[static_cast<size_t>(i)]);
    return record;
}

// The row's position in the index: bisection on its start, then a step over equal starts.
long long PositionOf(const ActionIndex& index, const DayViewRow& row, std::u16string_view start) {
    long long p = SearchActionIndex(index, DatePart(start), TimePart(start), SearchMode::Lower);
    for (; p >= 0 && p < index.count() && index.StartAt(p) == start; ++p)
        if (index.IdAt(p) == row.id) return p;
    return index.FindId(row.id);
}

} // namespace

std::u16string SingleDayPeriodText(std::u16string_view start, std::u16string_view end) {
    if (EndsAtMidnight(end)) return MonthDay(DatePart(start)) + u"-" + MonthDay(DatePart(end));
    return HourMinute(TimePart(start)) + u"-" + HourMinute(TimePart(end));
}

std::u16string MultiDayPeriodText(std::u16string_view start, std::u16string_view end, std::u16string_view day) {
    if (EndsAtMidnight(end)) return MonthDay(DatePart(start)) + u"-" + MonthDay(DatePart(end));
    std::u16string from = DatePart(start) == day ? HourMinute(TimePart(start)) : MonthDay(DatePart(start));
    std::u16string to = DatePart(end) == day ? HourMinute(TimePart(end)) : MonthDay(DatePart(end));
    return from + u"-" + to;
}

std::u16string EarliestOverlappingStart(const ShownDate& day, long long longestSeconds) {
    long long days = longestSeconds / 86400;
    int rest = static_cast<int>(longestSeconds % 86400);
    DateValue from = DateValue::FromFields(day.year, day.month, day.day) -
                     DateSpan::FromParts(static_cast<double>(days), rest / 3600, rest / 60 % 60, rest % 60);
    int y, mo, d, h, mi, s;
    if (!from.valid || !from.ToFields(y, mo, d, h, mi, s)) return {};
    return FormatDateTimeText(y, mo, d, h, mi, s);
}

int LoadDayViewSingle(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                      DayViewData& data) {
    data = DayViewData{};
    std::u16string day = FormatDateText(date.year, date.month, date.day);
    ShownDate before = date;
    DateValue prev = DateValue::FromFields(date.year, date.month, date.day) - DateSpan::FromParts(1, 0, 0, 0);
    if (!prev.ToDate(before.year, before.month, before.day)) before = {1899, 12, 31};
    std::u16string previousDay = FormatDateText(before.year, before.month, before.day);
    long long first = SearchActionIndex(index, previousDay, u"24:00:00", SearchMode::Lower);
    long long end = SearchActionIndex(index, day, u"24:00:00", SearchMode::Lower);
    if (first < 0 || first >= index.count()) return 0;
    data.first = first;
    for (long long p = first; p < end; ++p) {
        ActionRecord record;
        bool fetchFailed = false;
        HRESULT hr = table.ReadActionById(index.IdAt(p), record, &fetchFailed);
        if (hr == DB_E_NOTFOUND) break;
        if (FAILED(hr)) {
            if (fetchFailed)
                ShowDbError(owner, "SetDataDayViewForSingle", "GetNextRS", kLnSingleFetch, hr);
            else
                ShowDbError(owner, "SetDataDayViewForSingle", "Select", kLnSingleRead, hr);
            return -1;
        }
        std::u16string start = TextOf(record[ActionField::StaDateTime]),
                       stop = TextOf(record[ActionField::EndDateTime]);
        data.rows.push_back(RowOf(record, SingleDayPeriodText(start, stop)));
        data.last = p;
    }
    return 0;
}

int LoadDayViewMulti(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                     std::u16string_view searchCondition, DayViewData& data, const char* function) {
    data = DayViewData{};
    std::u16string day = FormatDateText(date.year, date.month, date.day);
    // The start index bounds the scan: no action that overlaps the day can start
    // earlier than the day minus the longest action's length. When that length cannot
    // be read the fill fails as a read does; a bound of zero would quietly leave out
    // the actions begun on earlier days.
    if (!table.KnowsLongestAction()) {
        HRESULT longest = table.RecomputeLongestAction();
        if (FAILED(longest)) {
            ShowDbError(owner, function, "Select", kLnMultiSelect, longest);
            return -1;
        }
    }
    std::u16string earliest = EarliestOverlappingStart(date, table.LongestActionSeconds());
    std::u16string sql = u"select * from t_UserData where f_nchStaDateTime < ? and f_nchEndDateTime >= ?";
    std::vector<OptText> parameters{day + u" 24:00:00", day + u" 00:00:00"};
    if (!earliest.empty()) {
        sql += u" and f_nchStaDateTime >= ?";
        parameters.push_back(earliest);
    }
    if (!searchCondition.empty()) sql += u" and " + std::u16string(searchCondition);
    sql += u" order by f_nchStaDateTime asc";
    HRESULT hr = table.OpenQuery(sql, AllColumns(), parameters);
    if (FAILED(hr)) {
        ShowDbError(owner, function, "Select", kLnMultiSelect, hr);
        return -1;
    }
    std::vector<OptText> texts;
    std::u16string firstStart, lastStart;
    while ((hr = table.ReadNextRow(texts)) == S_OK) {
        ActionRecord record = RecordOf(texts);
        std::u16string start = TextOf(record[ActionField::StaDateTime]),
                       stop = TextOf(record[ActionField::EndDateTime]);
        data.rows.push_back(RowOf(record, MultiDayPeriodText(start, stop, day)));
        if (data.rows.size() == 1) firstStart = start;
        lastStart = start;
    }
    table.CloseQuery();
    if (FAILED(hr)) {
        ShowDbError(owner, function, "GetNextRS", kLnMultiFetch, hr);
        return -1;
    }
    if (!data.rows.empty()) {
        data.first = PositionOf(index, data.rows.front(), firstStart);
        data.last = PositionOf(index, data.rows.back(), lastStart);
    }
    return 0;
}
