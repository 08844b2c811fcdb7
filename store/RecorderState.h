// The recorder's state as the data file keeps it: the history of recorded action
// identifiers and the items of t_TextData / t_LongData, with their load and save.
#pragma once

#include "core/ResultCodes.h"

#include <string>
#include <vector>

class ActionIndex;

// The placeholder the recorder's time field shows for "now"; stored as empty.
inline constexpr char16_t kCurrentTimePlaceholder[] = u"<現在時刻>";

struct RecorderHistory {
    std::vector<std::u16string> ids; // oldest first
};

struct RecorderState {
    RecorderHistory history;
    std::u16string preActId;  // RcdrPreActId
    std::u16string preDate;   // RcdrPreDateTime, date part
    std::u16string preTime;   //                  time part
    std::u16string date;      // RcdrDateTime, date part (empty with the placeholder)
    std::u16string time;      // time part, or kCurrentTimePlaceholder
    std::u16string latitude;  // RcdrLatitude, as the recorder shows it
    std::u16string longitude; // RcdrLongitude
    std::u16string place;     // RcdrPlace
    std::u16string category1; // RcdrCategory1
    std::u16string category2; // RcdrCategory2
    bool changed = false;
    bool loaded = false; // read from the data file in this run (cleared when it closes)
};

// On the open data file. 0 or the code of the first failing write: RcdrHistNum (-2),
// RcdrPreActId (-4), RcdrPreDateTime (-5), RcdrDateTime (-7), RcdrLatitude (-8),
// RcdrLongitude (-9), RcdrPlace (-10), RcdrCategory1 (-11), RcdrCategory2 (-12).
int InitRecorderState();
// 0 or -5, -7, -8, -9, -10, -11, -12 as above.
int WriteRecorderItems(const RecorderState& state);
// 0, or -1 (RcdrHistNum or the history query), -2 RcdrPreActId, -3 RcdrPreDateTime,
// -5 RcdrDateTime, -6 RcdrLatitude, -7 RcdrLongitude, -8 RcdrPlace, -9 RcdrCategory1,
// -10 RcdrCategory2.
int LoadRecorderState(RecorderState& state);
// When a file is open and the state changed: WriteRecorderItems (failure shown as
// "レコーダーデータ保存中にエラーが発生しました。(code)"). Then clears the changed
// and loaded flags, the history and the index, and closes the data file.
void SaveRecorderState(RecorderState& state, ActionIndex& index);
// Rewrites history rows 0 … n−1 from the list and sets RcdrHistNum = n, in one
// transaction (a savepoint, so it may run inside a caller's transaction). Call it whenever entries other than the last
// drop out of the list, so that a reopen reads exactly the list. Engine code.
HRESULT RewriteRecorderHistory(const RecorderHistory& history);
