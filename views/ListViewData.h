// The list view's data: one page of the action index, newest first, read by
// identifier, with the page label.
#pragma once

#include "core/MessageBox.h"

#include <string>
#include <vector>

class ActionIndex;
class UserDataTable;

struct ListPage {
    std::vector<std::u16string> rows; // without the closing "<新規作成>"
    std::vector<std::u16string> ids;
    long long first = -1; // index position of row 0 (the newest on the page)
};

// Page page of size pageSize: positions first, first − 1, … with first = count − pageSize × page − 1.
// 0, or -1 after the "ERROR" message (the rows read so far stay).
int LoadListPage(WindowHandle owner, UserDataTable& table, const ActionIndex& index, int page, int pageSize,
                 int dayMultiMode, ListPage& list);
// "S hh:mm-hh:mm place:category1:memo", "S-mm/dd …" for an end at 24:00, or
// "S hh:mm-mm/dd …" in multi-day mode for an end on another day.
std::u16string ListRowText(std::u16string_view start, std::u16string_view end, int dayMultiMode,
                           std::u16string_view place, std::u16string_view category1, std::u16string_view memo);
// "page/pages - count", "(total)" appended while a search narrows the index.
std::u16string ListViewLabel(int page, int pageSize, long long count, long long total);
