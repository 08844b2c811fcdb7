// What import and export work on: the action table of the open data file, the
// action index that export walks and import rebuilds, the active search (so that
// the rebuilt index still shows only the search result) and the window that owns
// the messages.
#pragma once

#include "core/MessageBox.h"

#include <string_view>

class ActionIndex;
class UserDataTable;

struct ExchangeTarget {
    UserDataTable& table;
    ActionIndex& index;
    std::u16string_view searchCondition = {}; // the WHERE fragment of the active search, or empty
    WindowHandle owner = nullptr;
};
