// The find dialog's field rules.
#include "find/FindFields.h"

#include "app/Settings.h"
#include "core/DateTimeText.h"
#include "find/SearchCondition.h"

int CheckFindTimeEntry(WindowHandle owner, std::u16string_view typed, bool start, std::u16string& shown) {
    if (typed.empty() || (start && typed == kAllDayEntry)) {
        shown = std::u16string(typed);
        return 0;
    }
    if (!start && IsEndOfDayText(typed) == 0) {
        shown = u"24:00";
        return 0;
    }
    int h, m, s;
    if (ParseTimeEntry(typed, h, m, s) == 0) {
        shown = FormatHourMinute(h, m);
        return 0;
    }
    ShowMessage(owner, u"入力した時刻の値が不正です。入力値を見直してください。", u"入力値不正",
                MB_OK | MB_ICONEXCLAMATION);
    return -1;
}

void AddToFindHistory(std::vector<std::u16string>& history, std::u16string_view text) {
    RememberPickValue(history, kFindCapacity, StripLineBreaks(text));
}
