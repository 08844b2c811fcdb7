// The search run. The result is read into a fresh index and swapped in only when the
// whole query succeeded, so a failed search leaves the previous result in place.
#include "find/SearchRun.h"

#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

#include <utility>

int RunSearch(WindowHandle owner, UserDataTable& table, ActionIndex& index, const SearchValues& values,
              std::u16string& activeCondition) {
    std::u16string condition;
    ActionIndex found;
    HRESULT hr = E_FAIL;
    if (BuildSearchCondition(values, condition) == 0) {
        WaitCursorScope wait;
        hr = RebuildActionIndex(table, found, condition);
    }
    if (FAILED(hr)) {
        ShowMessage(owner, u"検索中にエラーが発生しました。", u"検索エラー", MB_OK | MB_ICONEXCLAMATION);
        return -101;
    }
    index = std::move(found);
    activeCondition = std::move(condition);
    long long n = index.count();
    if (n > 0)
        ShowMessage(owner, FromUtf8(std::to_string(n)) + u" 個のアクションが見つかりました。", u"検索結果",
                    MB_OK | MB_ICONINFORMATION);
    else
        ShowMessage(owner, u"該当するアクションはありません。", u"検索結果", MB_OK | MB_ICONINFORMATION);
    return 0;
}
