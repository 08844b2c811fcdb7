// One page of the list view and its label.
#include "views/ListViewData.h"

#include "core/ActionRecord.h"
#include "core/DateTimeText.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"
#include "views/Navigation.h"

namespace {

constexpr int kLnListRead = 4501;

} // namespace

std::u16string ListRowText(std::u16string_view start, std::u16string_view end, int dayMultiMode,
                           std::u16string_view place, std::u16string_view category1, std::u16string_view memo) {
    std::u16string_view startDate = start.substr(0, 10), endDate = end.substr(0, 10);
    std::u16string_view startTime = start.size() > 11 ? start.substr(11, 5) : std::u16string_view();
    std::u16string_view endTime = end.size() > 11 ? end.substr(11, 5) : std::u16string_view();
    std::u16string_view endMonthDay = endDate.size() > 5 ? endDate.substr(5, 5) : std::u16string_view();
    std::u16string text(startDate);
    if (endTime == u"24:00")
        text += u"-" + std::u16string(endMonthDay);
    else if (dayMultiMode == 2 && startDate != endDate)
        text += u" " + std::u16string(startTime) + u"-" + std::u16string(endMonthDay);
    else
        text += u" " + std::u16string(startTime) + u"-" + std::u16string(endTime);
    return text + u" " + std::u16string(place) + u":" + std::u16string(category1) + u":" + StripLineBreaks(memo);
}

std::u16string ListViewLabel(int page, int pageSize, long long count, long long total) {
    std::u16string text = count == 0 ? std::u16string(u"0/0 - 0")
                                     : FormatText("%d/%d - %lld", page + 1, LastListPage(count, pageSize) + 1, count);
    if (count != total) text += FormatText("(%lld)", total);
    return text;
}

int LoadListPage(WindowHandle owner, UserDataTable& table, const ActionIndex& index, int page, int pageSize,
                 int dayMultiMode, ListPage& list) {
    list = ListPage{};
    long long n = index.count();
    if (n < 1 || pageSize < 1) return 0;
    list.first = n - static_cast<long long>(pageSize) * page - 1;
    for (int i = 0; i < pageSize && list.first - i >= 0; ++i) {
        ActionRecord record;
        HRESULT hr = table.ReadActionById(index.IdAt(list.first - i), record);
        if (hr == DB_E_NOTFOUND) break;
        if (FAILED(hr)) {
            Trace("CMainWnd::SetDataListView Select Err (ln=%d, hr=%x)", kLnListRead, static_cast<unsigned>(hr));
            ShowMessage(owner, TraceBuffer(), u"ERROR", MB_OK);
            return -1;
        }
        list.rows.push_back(
            ListRowText(record[ActionField::StaDateTime].value_or(u""), record[ActionField::EndDateTime].value_or(u""),
                        dayMultiMode, record[ActionField::Place].value_or(u""),
                        record[ActionField::Category1].value_or(u""), record[ActionField::Memo].value_or(u"")));
        list.ids.push_back(record[ActionField::ActId].value_or(u""));
    }
    return 0;
}
