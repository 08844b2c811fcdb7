// The recorder's chain of actions and its history, without a window.
#include "recorder/RecorderChain.h"

#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Degrees.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Call-site numbers of the traces.
constexpr int kLnSetActList = 6101;
constexpr int kLnOnBtnRec = 6102;
constexpr int kLnOnBtnBack = 6103;
constexpr int kLnRecStop = 6104;
constexpr int kLnRecReopen = 6105;
constexpr int kLnFxBtnDelete = 6106;
constexpr int kLnOnBtnBackDelete = 6107;

constexpr char16_t kEndOfDay[] = u"24:00:00";
constexpr char16_t kWriteErrorCaption[] = u"レコーダー書込みエラー";

std::u16string Part(const OptText& text, size_t from, size_t length) {
    if (!text || from >= text->size()) return {};
    return text->substr(from, length);
}
std::u16string DateOf(const OptText& dateTime) {
    return Part(dateTime, 0, 10);
}
std::u16string TimeOf(const OptText& dateTime) {
    return Part(dateTime, 11, std::u16string::npos);
}
const std::u16string& TextOf(const OptText& text) {
    static const std::u16string empty;
    return text ? *text : empty;
}

bool IsAllDay(const ActionRecord& action) {
    return TimeOf(action[ActionField::StaDateTime]) == u"00:00:00" &&
           TimeOf(action[ActionField::EndDateTime]) == kEndOfDay;
}

// The place without the last move separator and what follows it, when the separator
// lies after the first character; otherwise the place as it is.
bool CutAtSeparator(OptText& place, const std::u16string& separator) {
    if (!place || separator.empty()) return false;
    size_t at = place->rfind(separator);
    if (at == std::u16string::npos || at == 0) return false;
    place->resize(at);
    return true;
}

std::u16string Hex(HRESULT hr) {
    return FormatText("%x", static_cast<unsigned>(hr));
}

void ShowTrace(WindowHandle owner) {
    ShowMessage(owner, TraceBuffer(), u"ERROR", MB_OK | MB_ICONSTOP);
}

// The recorder's data (its history and items) or its transaction could not be written.
void ShowDataWriteError(WindowHandle owner, HRESULT hr) {
    ShowMessage(owner, u"レコーダーデータ書込みに時にエラー発生。(" + Hex(hr) + u")", kWriteErrorCaption,
                MB_OK | MB_ICONSTOP);
}

void ShowItemWriteError(WindowHandle owner, const char* item, HRESULT hr) {
    ShowMessage(owner,
                FormatText("レコーダーの設定値(%s)書込みに時にエラー発生。(%x)", item, static_cast<unsigned>(hr)),
                kWriteErrorCaption, MB_OK | MB_ICONSTOP);
}

// The writes of one command as one transaction of the data file, so that a command is
// on disk whole (one sync) or not at all. It takes the write lock when it begins,
// waiting out another program's write up to the busy timeout: a transaction that read
// first could only fail at its first write while another program was writing. When a
// transaction is already open the writes simply join it.
class WriteBatch {
public:
    WriteBatch() = default;
    ~WriteBatch() { Commit(); }
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    // Tells the user when the write lock cannot be had; nothing is written then.
    HRESULT Begin(WindowHandle owner) {
        DataFileTables* t = OpenTables();
        db_ = t ? t->db : nullptr;
        if (!db_ || !sqlite3_get_autocommit(db_)) return S_OK;
        HRESULT hr = ExecuteSql(db_, "BEGIN IMMEDIATE");
        began_ = SUCCEEDED(hr);
        if (!began_) ShowDataWriteError(owner, hr);
        return hr;
    }

    HRESULT Commit() {
        if (!began_) return S_OK;
        began_ = false;
        HRESULT hr = ExecuteSql(db_, "COMMIT");
        if (FAILED(hr)) ExecuteSql(db_, "ROLLBACK");
        return hr;
    }

private:
    sqlite3* db_ = nullptr;
    bool began_ = false;
};

} // namespace

std::u16string RecorderHistoryLine(const ActionRecord& action, bool open) {
    std::u16string line = DateOf(action[ActionField::StaDateTime]) + u" ";
    line += IsAllDay(action) ? std::u16string(u"終日") : Part(action[ActionField::StaDateTime], 11, 5);
    line += u"::" + TextOf(action[ActionField::Place]);
    line += open ? u"...::" : u"::";
    line += TextOf(action[ActionField::Category1]) + u"::" + TextOf(action[ActionField::Category2]);
    return line;
}

int RecordDateTime(WindowHandle owner, std::u16string_view timeField, std::u16string& date, std::u16string& time) {
    LocalDateTime now = LocalNow();
    int hour = now.hour, minute = now.minute, second = now.second;
    if (timeField != kCurrentTimePlaceholder && ParseTimeEntry(timeField, hour, minute, second) != 0) {
        ShowMessage(owner, u"入力した時刻の値が不正です。入力値を見直してください。", u"入力値不正",
                    MB_OK | MB_ICONEXCLAMATION);
        return kRecorderBadTime;
    }
    date = FormatDateText(now.year, now.month, now.day);
    time = FormatTimeText(hour, minute, second);
    return kRecorderDone;
}

int CommitTimeField(WindowHandle owner, std::u16string& text) {
    if (text == kCurrentTimePlaceholder) return kRecorderDone;
    int hour, minute, second;
    if (ParseTimeEntry(text, hour, minute, second) != 0) {
        ShowMessage(owner, u"入力した時刻の値が不正です。入力値を見直してください。", u"入力値不正",
                    MB_OK | MB_ICONEXCLAMATION);
        return kRecorderBadTime;
    }
    text = FormatHourMinute(hour, minute);
    return kRecorderDone;
}

void RememberRecorderValue(CMainApp& app, RecorderPick pick, const std::u16string& value) {
    PickLists& lists = app.settings.lists;
    switch (pick) {
    case RecorderPick::Place: {
        const std::u16string& separator = app.settings.PlaceSepaStr;
        bool moved = !separator.empty() && value.find(separator) != std::u16string::npos;
        if (!(app.settings.NoMemPlaceSepaStr && moved)) RememberPickValue(lists.Place, kPlaceCapacity, value);
        break;
    }
    case RecorderPick::Category1:
        RememberPickValue(lists.Category1, kCategory1Capacity, value);
        break;
    case RecorderPick::Category2:
        RememberPickValue(lists.Category2, kCategory2Capacity, value);
        break;
    }
}

RecorderChain::RecorderChain(CMainApp& app, WindowHandle owner) : app_(app), owner_(owner) {}

RecorderState& RecorderChain::state() const {
    return app_.recorder;
}

bool RecorderChain::open() const {
    return !state().preActId.empty();
}

int RecorderChain::LoadOnce() {
    if (state().loaded) return 0;
    int code = LoadRecorderState(state());
    if (code != 0) {
        state().history.ids.clear();
        state().preActId.clear();
        lines_.clear();
        ShowMessage(owner_, FormatText("レコーダーデータ読込み中にエラーが発生しました。(%d)", code), u"読込みエラー",
                    MB_OK | MB_ICONSTOP);
        return code;
    }
    state().loaded = true;
    return 0;
}

int RecorderChain::ReadAction(const char* operation, int line, const std::u16string& id, ActionRecord& action,
                              bool& found) {
    found = false;
    HRESULT hr = OpenTables() ? OpenTables()->userData->ReadActionById(id, action) : E_FAIL;
    if (hr == DB_E_NOTFOUND) return kRecorderDone;
    if (FAILED(hr)) {
        Trace("CRecorderDlg::%s Select Err (ln=%d, hr=%x)", operation, line, static_cast<unsigned>(hr));
        ShowTrace(owner_);
        return kRecorderReadFailed;
    }
    found = true;
    return kRecorderDone;
}

int RecorderChain::RefreshIndex(const std::u16string& id) {
    DataFileTables* t = OpenTables();
    if (!t) return kRecorderIndexFailed;
    HRESULT hr = indexBroken_
                     ? RebuildActionIndexOrTell(*t->userData, app_.actionIndex, app_.searchCondition, owner_)
                     : RefreshIndexAfterSaveOrTell(*t->userData, app_.actionIndex, id, app_.searchCondition, owner_);
    indexBroken_ = FAILED(hr);
    return indexBroken_ ? kRecorderIndexFailed : kRecorderDone;
}

void RecorderChain::SetCurrentAction(const std::u16string& id, const std::u16string& start) {
    app_.selectedActionId = id;
    app_.currentActionId = id;
    int year, month, day;
    if (ParseDateText(DateOf(start), year, month, day) == 0) app_.shownDate = {year, month, day};
}

int RecorderChain::CloseAction(ActionRecord& action, const std::u16string& date, const std::u16string& time,
                               const std::u16string& place) {
    std::u16string startDate = DateOf(action[ActionField::StaDateTime]);
    std::u16string startTime = TimeOf(action[ActionField::StaDateTime]);
    std::u16string endDate, endTime;
    if (IsAllDay(action)) {
        // An all-day action stays all-day: it ends at 24:00:00 of the later date.
        endDate = std::max(startDate, date);
        endTime = kEndOfDay;
    } else {
        // An end never precedes the start, even for a time typed in the past.
        LaterDateTime(startDate, startTime, date, time, endDate, endTime);
    }
    action[ActionField::EndDateTime] = endDate + u" " + endTime;
    if (TextOf(action[ActionField::Place]) != place)
        action[ActionField::Place] = TextOf(action[ActionField::Place]) + app_.settings.PlaceSepaStr + place;
    HRESULT hr = OpenTables()->userData->UpdateAction(action);
    if (FAILED(hr)) {
        ShowMessage(owner_, u"レコード更新エラー(" + Hex(hr) + u")", u"DB更新エラー", MB_OK | MB_ICONSTOP);
        return kRecorderUpdateFailed;
    }
    return kRecorderDone;
}

void RecorderChain::ReopenAction(ActionRecord& action, bool endAtStart) {
    bool changed = CutAtSeparator(action[ActionField::Place], app_.settings.PlaceSepaStr);
    if (endAtStart) {
        const OptText& start = action[ActionField::StaDateTime];
        action[ActionField::EndDateTime] = IsAllDay(action) ? DateOf(start) + u" " + kEndOfDay : TextOf(start);
        changed = true;
    }
    if (!changed) return;
    HRESULT hr = OpenTables()->userData->UpdateAction(action);
    if (FAILED(hr)) {
        ShowMessage(owner_, FormatText("アクションの変更に失敗しました。(%x)", static_cast<unsigned>(hr)),
                    u"アクション変更エラー", MB_OK | MB_ICONSTOP);
    }
}

int RecorderChain::WriteOpenAction() {
    DataFileTables* t = OpenTables();
    RecorderState& s = state();
    HRESULT hr = t->textData->SetItemText(u"RcdrPreActId", s.preActId);
    if (FAILED(hr)) {
        ShowItemWriteError(owner_, "RcdrPreActId", hr);
        return kRecorderStateFailed;
    }
    // The open action's start goes with it, so that the file holds a whole chain
    // whenever the program ends.
    std::u16string start = s.preDate.empty() && s.preTime.empty() ? u"" : s.preDate + u" " + s.preTime;
    hr = t->textData->SetItemText(u"RcdrPreDateTime", start);
    if (FAILED(hr)) {
        ShowItemWriteError(owner_, "RcdrPreDateTime", hr);
        return kRecorderStateFailed;
    }
    return kRecorderDone;
}

int RecorderChain::WriteHistoryCount(const char16_t* failureText) {
    HRESULT hr = OpenTables()->longData->SetItemInt(u"RcdrHistNum", static_cast<int>(state().history.ids.size()));
    if (FAILED(hr)) {
        ShowMessage(owner_, failureText + (u"(" + Hex(hr) + u")"), kWriteErrorCaption, MB_OK | MB_ICONSTOP);
        return kRecorderStateFailed;
    }
    return kRecorderDone;
}

void RecorderChain::Stopped() {
    state().preActId.clear();
    state().preDate.clear();
    state().preTime.clear();
}

int RecorderChain::Record(const RecorderFields& fields) {
    std::u16string date, time;
    if (RecordDateTime(owner_, fields.time, date, time) != 0) return kRecorderBadTime;
    if (!OpenTables()) return kRecorderReadFailed;
    WaitCursorScope wait;
    WriteBatch batch;
    if (FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    RecorderState& s = state();
    UserDataTable& table = *OpenTables()->userData;
    std::u16string closedLine, closedId;
    if (!open()) {
        // A new chain starts.
        s.history.ids.clear();
        lines_.clear();
        if (WriteHistoryCount(u"レコーダーの設定値(RcdrHistNum)書込みに時にエラー発生。") != 0)
            return kRecorderStateFailed;
    } else {
        ActionRecord previous;
        bool found;
        if (ReadAction("OnBtnRec", kLnOnBtnRec, s.preActId, previous, found) != 0) return kRecorderReadFailed;
        if (!found) {
            ShowMessage(owner_, u"直前のアクションが見つかりません。手動にて場所および終了日時を修正してください。",
                        u"アクション修正不可", MB_OK | MB_ICONSTOP);
        } else {
            if (CloseAction(previous, date, time, fields.place) != 0) {
                RefreshIndex(s.preActId);
                return kRecorderUpdateFailed;
            }
            closedId = s.preActId;
            closedLine = RecorderHistoryLine(previous, false);
        }
    }

    ActionRecord action;
    action[ActionField::StaDateTime] = date + u" " + time;
    action[ActionField::EndDateTime] = date + u" " + time;
    double degrees;
    if (!fields.latitude.empty() && ParseDegreesText(fields.latitude, degrees) == 0)
        action[ActionField::Latitude] = FormatText("%f", degrees);
    if (!fields.longitude.empty() && ParseDegreesText(fields.longitude, degrees) == 0)
        action[ActionField::Longitude] = FormatText("%f", degrees);
    action[ActionField::Subject] = u"";
    action[ActionField::Place] = fields.place;
    action[ActionField::Category1] = fields.category1;
    action[ActionField::Category2] = fields.category2;
    action[ActionField::Memo] = u"";
    if (HRESULT inserted = table.InsertAction(action); FAILED(inserted)) {
        // The insert tells only a missing unique identifier; any other failure (a full
        // disk, a read-only folder) would otherwise end the tap without a word.
        if (inserted != E_ABORT)
            ShowMessage(owner_, u"レコード作成エラー(" + Hex(inserted) + u")", u"DB更新エラー", MB_OK | MB_ICONSTOP);
        app_.selectedActionId.clear();
        app_.currentActionId.clear();
        if (!closedId.empty()) RefreshIndex(closedId);
        return kRecorderInsertFailed;
    }
    const std::u16string id = *action[ActionField::ActId];
    s.preActId = id;
    s.preDate = date;
    s.preTime = time;
    SetCurrentAction(id, date);

    s.history.ids.push_back(id);
    if (WriteHistoryCount(u"レコーダーの設定値(RcdrHistNum)書込みに時にエラー発生。") != 0) return kRecorderStateFailed;
    HRESULT hr = OpenTables()->rcdrData->SetHistoryEntry(static_cast<int>(s.history.ids.size()) - 1, id);
    if (FAILED(hr)) {
        ShowDataWriteError(owner_, hr);
        return kRecorderStateFailed;
    }
    if (WriteOpenAction() != 0) return kRecorderStateFailed;
    hr = batch.Commit();
    if (FAILED(hr)) {
        ShowDataWriteError(owner_, hr);
        Reload();
        return kRecorderStateFailed;
    }

    // The tap is on disk; a failed index read is told once and reported.
    int indexed = closedId.empty() ? kRecorderDone : RefreshIndex(closedId);
    if (indexed == kRecorderDone) indexed = RefreshIndex(id);
    if (lines_.size() + 1 != s.history.ids.size()) { // the list was not whole
        int refill = Refill();
        return refill != kRecorderDone ? refill : indexed;
    }
    if (!closedLine.empty() && !lines_.empty()) lines_.back() = closedLine;
    lines_.push_back(RecorderHistoryLine(action, true));
    return indexed;
}

void RecorderChain::Reload() {
    state().loaded = false;
    if (LoadOnce() != 0) return;
    if (DataFileTables* t = OpenTables())
        indexBroken_ = FAILED(RebuildActionIndexOrTell(*t->userData, app_.actionIndex, app_.searchCondition, owner_));
    Refill();
}

int RecorderChain::Stop(const RecorderFields& fields) {
    std::u16string date, time;
    if (RecordDateTime(owner_, fields.time, date, time) != 0) return kRecorderBadTime;
    if (!OpenTables()) return kRecorderReadFailed;
    WaitCursorScope wait;
    WriteBatch batch;
    if (FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    const std::u16string openId = state().preActId;
    ActionRecord previous;
    bool found;
    if (ReadAction("RecStop", kLnRecStop, openId, previous, found) != 0) return kRecorderReadFailed;
    if (!found) {
        ShowMessage(owner_, u"直前のアクションが見つかりません。手動にて場所および終了日時を修正してください。",
                    u"アクション修正不可", MB_OK | MB_ICONSTOP);
    } else if (CloseAction(previous, date, time, fields.place) != 0) {
        RefreshIndex(openId);
        return kRecorderUpdateFailed;
    }
    Stopped();
    int result = WriteOpenAction();
    int indexed = RefreshIndex(openId);
    int refill = Refill();
    return result != 0 ? result : refill != 0 ? refill : indexed;
}

int RecorderChain::Reopen() {
    RecorderState& s = state();
    if (s.history.ids.empty()) {
        ShowMessage(owner_, u"再開する記録がありません。新規に記録を開始してください。", u"レコーダー再開不可",
                    MB_OK | MB_ICONEXCLAMATION);
        return kRecorderDeclined;
    }
    if (!OpenTables()) return kRecorderReadFailed;
    WriteBatch batch;
    if (FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    const std::u16string id = s.history.ids.back();
    ActionRecord last;
    bool found;
    if (ReadAction("RecReopen", kLnRecReopen, id, last, found) != 0) return kRecorderReadFailed;
    if (!found) {
        ShowMessage(owner_, u"直前のアクションが見つかりません。新規に記録を開始してください。", u"レコーダー再開不可",
                    MB_OK | MB_ICONSTOP);
        return kRecorderDeclined;
    }
    ReopenAction(last, false);
    s.preActId = id;
    s.preDate = DateOf(last[ActionField::StaDateTime]);
    s.preTime = TimeOf(last[ActionField::StaDateTime]);
    int result = WriteOpenAction();
    int indexed = RefreshIndex(id);
    int refill = Refill();
    return result != 0 ? result : refill != 0 ? refill : indexed;
}

int RecorderChain::Back() {
    RecorderState& s = state();
    if (s.history.ids.empty()) {
        ShowMessage(owner_, u"これ以上、戻せません。", u"戻し不可", MB_OK | MB_ICONEXCLAMATION);
        return kRecorderDeclined;
    }
    if (ShowMessage(owner_, u"最後のアクションを削除しますが、よろしいですか？", u"アクション削除の確認",
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return kRecorderDeclined;
    if (!OpenTables()) return kRecorderReadFailed;
    WaitCursorScope wait;
    WriteBatch batch;
    if (FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    DataFileTables& t = *OpenTables();
    const std::u16string lastId = s.history.ids.back();
    HRESULT hr = t.userData->DeleteAction(lastId);
    if (FAILED(hr)) {
        // The action still exists: keep it in the history and the chain as it is.
        Trace("CRecorderDlg::OnBtnBack Delete Err (ln=%d, hr=%x)", kLnOnBtnBackDelete, static_cast<unsigned>(hr));
        ShowTrace(owner_);
        return kRecorderDeleteFailed;
    }
    s.history.ids.pop_back();
    int result = WriteHistoryCount(u"レコーダーの設定値書込みに時にエラー発生。");
    int indexed = RefreshIndex(lastId);
    if (s.history.ids.empty()) {
        Stopped();
        if (WriteOpenAction() != 0) result = kRecorderStateFailed;
        lines_.clear();
        return result != 0 ? result : indexed;
    }
    const std::u16string id = s.history.ids.back();
    s.preActId = id;
    s.preDate.clear();
    s.preTime.clear();
    if (WriteOpenAction() != 0) result = kRecorderStateFailed;
    ActionRecord previous;
    bool found;
    if (ReadAction("OnBtnBack", kLnOnBtnBack, id, previous, found) != 0) return kRecorderReadFailed;
    if (!found) {
        ShowMessage(owner_, u"ひとつ前のアクションが見つかりません。記録を停止します。", u"レコーダー停止",
                    MB_OK | MB_ICONSTOP);
        Stopped();
        if (WriteOpenAction() != 0) result = kRecorderStateFailed;
    } else {
        s.preDate = DateOf(previous[ActionField::StaDateTime]);
        s.preTime = TimeOf(previous[ActionField::StaDateTime]);
        if (WriteOpenAction() != 0) result = kRecorderStateFailed;
        ReopenAction(previous, true);
        if (indexed == kRecorderDone) indexed = RefreshIndex(id);
        SetCurrentAction(id, TextOf(previous[ActionField::StaDateTime]));
    }
    int refill = Refill();
    return result != 0 ? result : refill != 0 ? refill : indexed;
}

int RecorderChain::Clear() {
    WriteBatch batch;
    if (OpenTables() && FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    Stopped();
    state().history.ids.clear();
    lines_.clear();
    if (!OpenTables()) return kRecorderStateFailed;
    if (WriteOpenAction() != 0) return kRecorderStateFailed;
    return WriteHistoryCount(u"レコーダーの設定値(RcdrHistNum)書込みに時にエラー発生。");
}

int RecorderChain::DeleteLines(const std::vector<int>& rows) {
    std::vector<int> chosen;
    for (int row : rows) {
        if (row >= 0 && static_cast<size_t>(row) < state().history.ids.size()) chosen.push_back(row);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    if (chosen.empty()) {
        ShowMessage(owner_, u"有効なアクションが選択されていません。", u"削除不可", MB_OK | MB_ICONEXCLAMATION);
        return kRecorderDeclined;
    }
    std::u16string question = chosen.size() == 1
                                  ? std::u16string(u"このアクションを削除しますか？")
                                  : FormatText("これらの %zu個のアクションを削除しますか？", chosen.size());
    if (ShowMessage(owner_, question, u"アクションの削除の確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return kRecorderDeclined;
    if (!OpenTables()) return kRecorderReadFailed;
    WaitCursorScope wait;
    WriteBatch batch;
    if (FAILED(batch.Begin(owner_))) return kRecorderStateFailed;
    int result = kRecorderDone;
    for (auto row = chosen.rbegin(); row != chosen.rend(); ++row) {
        const std::u16string id = state().history.ids[static_cast<size_t>(*row)];
        HRESULT hr = OpenTables()->userData->DeleteAction(id);
        if (FAILED(hr)) {
            Trace("CRecorderDlg::FxBtnDelete Delete Err (ln=%d, hr=%x)", kLnFxBtnDelete, static_cast<unsigned>(hr));
            ShowTrace(owner_);
            result = kRecorderDeleteFailed;
            break;
        }
        // Told once; the deletions go on and the index is read whole next time.
        if (result != kRecorderIndexFailed && RefreshIndex(id) != kRecorderDone) result = kRecorderIndexFailed;
    }
    int refill = Refill();
    return result != 0 ? result : refill;
}

int RecorderChain::Refill() {
    RecorderState& s = state();
    std::vector<std::u16string>& ids = s.history.ids;
    lines_.clear();
    std::vector<std::u16string> kept;
    ActionRecord last;
    bool openFound = false, readFailed = false;
    size_t i = 0;
    for (; i < ids.size(); ++i) {
        ActionRecord action;
        bool found;
        if (ReadAction("SetActList", kLnSetActList, ids[i], action, found) != 0) {
            readFailed = true;
            break;
        }
        if (!found) continue; // deleted elsewhere: the entry drops out
        if (ids[i] == s.preActId) openFound = true;
        kept.push_back(ids[i]);
        lines_.push_back(RecorderHistoryLine(action, false));
        last = std::move(action);
    }
    // Entries not read are kept as they stand.
    kept.insert(kept.end(), ids.begin() + static_cast<std::ptrdiff_t>(i), ids.end());
    int result = readFailed ? kRecorderReadFailed : kRecorderDone;
    if (kept.size() != ids.size()) {
        ids = std::move(kept);
        // Entries other than the last may have gone: the rows are renumbered, so that
        // the next program run reads exactly this history.
        HRESULT hr = RewriteRecorderHistory(s.history);
        if (FAILED(hr)) {
            ShowItemWriteError(owner_, "RcdrHistNum", hr);
            result = kRecorderStateFailed;
        }
    }
    if (open() && !openFound && !readFailed) {
        ActionRecord action;
        bool found;
        if (ReadAction("SetActList", kLnSetActList, s.preActId, action, found) != 0) return kRecorderReadFailed;
        if (!found) {
            Stopped();
            if (WriteOpenAction() != 0) result = kRecorderStateFailed;
        }
    }
    if (open() && !lines_.empty() && lines_.size() == ids.size()) lines_.back() = RecorderHistoryLine(last, true);
    return result;
}

long long RecorderChain::PositionOfLine(int row) {
    const std::vector<std::u16string>& ids = state().history.ids;
    if (row < 0 || static_cast<size_t>(row) >= ids.size() || !OpenTables()) return -100;
    const std::u16string& id = ids[static_cast<size_t>(row)];
    long long position = FindActionInIndex(*OpenTables()->userData, app_.actionIndex, id);
    if (position == -1) {
        ShowMessage(owner_,
                    u"タップしたアクションは現在の検索結果に含まれていません。検索解除してから操作してください。",
                    u"検索対象外", MB_OK | MB_ICONSTOP);
        return position;
    }
    if (position < 0) {
        ShowMessage(owner_, u"変更したアクションIDが見つかりません。", u"内部エラー", MB_OK | MB_ICONEXCLAMATION);
        return position;
    }
    app_.selectedPosition = position;
    app_.selectedActionId = id;
    app_.currentActionId = id;
    return position;
}
