// Running a search: the condition from the builder, the query, the result loaded into
// the action index, the active condition stored and the outcome told to the user.
#pragma once

#include "core/MessageBox.h"
#include "find/SearchCondition.h"

#include <string>

class ActionIndex;
class UserDataTable;

// Builds W, selects the matching actions in start order into the index and stores W
// (empty for none) as the active condition. Returns 0 after "n 個のアクションが見つかり
// ました。" or "該当するアクションはありません。"; -101 after "検索中にエラーが発生しました。",
// with the index and the active condition left as they were.
int RunSearch(WindowHandle owner, UserDataTable& table, ActionIndex& index, const SearchValues& values,
              std::u16string& activeCondition);
