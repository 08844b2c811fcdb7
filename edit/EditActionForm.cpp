// The action edit dialog's rules and data access, without a window.
#include "edit/EditActionForm.h"

#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/DateValue.h"
#include "core/Degrees.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "gps/PositionSource.h"
#include "script/ActionText.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

#include <charconv>

namespace {

constexpr int kModeNew = 1, kModeChange = 2, kModeCopy = 4, kModeFollow = 5, kModeNewAtStartup = 6;

const char16_t kInvalidInput[] = u"入力値が不正です。値を見直しください";

std::u16string Cut(const OptText& text, size_t from, size_t length) {
    if (!text || text->size() < from) return {};
    return text->substr(from, length);
}

std::u16string NowHourMinute() {
    LocalDateTime now = LocalNow();
    return FormatHourMinute(now.hour, now.minute);
}

// A stored date-time from a date and a time field ("hh:mm" gets ":00").
std::u16string JoinDateTime(const std::u16string& date, const std::u16string& time) {
    return date + u" " + time + u":00";
}

// Degrees of a field; nullopt when empty or unreadable.
std::optional<double> FieldDegrees(const std::u16string& text) {
    double value = 0;
    if (text.empty() || ParseDegreesText(text, value) != 0) return std::nullopt;
    return value;
}

OptText StoredDegrees(const std::u16string& text) {
    std::optional<double> value = FieldDegrees(text);
    if (!value) return std::nullopt;
    // "%f", with "." as the point whatever the locale.
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, 6);
    if (error != std::errc()) return std::nullopt;
    return FromUtf8(std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

OptText NonEmpty(const std::u16string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

// A stored "%f" coordinate, read with "." as the point whatever the locale.
double StoredNumber(const std::u16string& text) {
    std::string bytes = ToUtf8(text);
    double value = 0;
    std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    return value;
}

// Create and Update after a failed write they have told: the dialog stays with the
// input as typed, and nothing suggests the input was at fault.
constexpr int kFormWriteFailed = -100;

void ShowInvalidInput(WindowHandle owner) {
    ShowMessage(owner, kInvalidInput, u"入力値不正", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

std::u16string AddDaysToDateText(const std::u16string& date, int days) {
    int year = 0, month = 0, day = 0, h = 0, m = 0, s = 0;
    if (ParseDateText(date, year, month, day) != 0) return date;
    DateValue next = DateValue::FromFields(year, month, day) + DateSpan::FromParts(days, 0, 0, 0);
    if (!next.ToFields(year, month, day, h, m, s)) return date;
    return FormatDateText(year, month, day);
}

EditActionForm::EditActionForm(CMainApp& app, UserDataTable* table, WindowHandle owner)
    : app_(app), table_(table), owner_(owner) {
    startupModeAtOpen_ = app.settings.StartupMode;
    continuous = app.settings.EditOpeCont != 0;
    openAtStartup = app.settings.StartupMode == 2;
}

bool EditActionForm::languageOn() const {
    return app_.settings.ActTxtMode != 1;
}

bool EditActionForm::PrevEnabled() const {
    return app_.actionIndex.count() > 0 && position > 0;
}

bool EditActionForm::NextEnabled() const {
    return position <= app_.actionIndex.count() - 1;
}

std::u16string EditActionForm::TodayText() const {
    LocalDateTime now = LocalNow();
    return FormatDateText(now.year, now.month, now.day);
}

void EditActionForm::Open(int mode) {
    position = app_.selectedPosition;
    switch (mode) {
    case kModeChange:
        ShowActionAt(position, "OnInitDialog", 101);
        break;
    case kModeCopy:
        if (ShowActionAt(position, "OnInitDialog", 102) == S_OK) CopyAction();
        state = EditState::New;
        break;
    case kModeFollow:
        if (ShowActionAt(position, "OnInitDialog", 103) == S_OK) FollowOnAction();
        state = EditState::New;
        break;
    case kModeNew:
    case kModeNewAtStartup:
    default: {
        // The list view works on today; every other view on the day it shows.
        if (app_.currentView == 4) {
            LocalDateTime now = LocalNow();
            StartNewOn(now.year, now.month, now.day);
        } else {
            StartNewOn(app_.shownDate.year, app_.shownDate.month, app_.shownDate.day);
        }
        // Opened from the map view: the held or selected point is the new action's place.
        if (mode == kModeNew && app_.newActionPosition) {
            latitude = FormatDegreesText(app_.newActionPosition->first);
            longitude = FormatDegreesText(app_.newActionPosition->second);
            RefreshMemoDisplay();
        }
        position = app_.actionIndex.count();
        break;
    }
    }
    modified = false;
}

void EditActionForm::ClearContents() {
    latitude.clear();
    longitude.clear();
    place.clear();
    category1.clear();
    category2.clear();
    memo.clear();
    memoShown.clear();
    subject.reset();
    extItems.reset();
    actId.reset();
    lastUpdate.reset();
}

void EditActionForm::StartNewOn(int year, int month, int day) {
    ClearContents();
    state = EditState::New;
    startDate = endDate = FormatDateText(year, month, day);
    allDay = false;
    std::u16string time;
    int mode = app_.settings.TimeInitForNewMode;
    if (startDate == TodayText()) {
        LocalDateTime now = LocalNow();
        if (mode == 1) time = FormatHourMinute(now.hour, now.minute);
        if (mode == 2) time = FormatHourMinute(now.hour, now.minute < 30 ? 0 : 30);
    } else {
        time = u"12:00";
    }
    allDay = mode == 3;
    startTime = endTime = allDay ? std::u16string() : time;
    RefreshMemoDisplay();
}

HRESULT EditActionForm::ShowActionAt(long long at, const char* where, int line) {
    ClearContents();
    if (!table_ || at < 0 || at >= app_.actionIndex.count()) return DB_E_NOTFOUND;
    ActionRecord record;
    HRESULT hr = table_->ReadActionById(app_.actionIndex.IdAt(at), record);
    if (hr == DB_E_NOTFOUND) return hr;
    if (hr != S_OK) {
        Trace("CEditActionDlg::%s Select Err (ln=%d, hr=%x)", where, line, static_cast<unsigned>(hr));
        ShowMessage(owner_, TraceBuffer(), u"Error", MB_OK);
        return hr;
    }
    position = at;
    ShowRecord(record);
    return S_OK;
}

void EditActionForm::ShowRecord(const ActionRecord& record) {
    state = EditState::Change;
    actId = record[ActionField::ActId];
    lastUpdate = record[ActionField::LastUpdate];
    startDate = Cut(record[ActionField::StaDateTime], 0, 10);
    startTime = Cut(record[ActionField::StaDateTime], 11, 5);
    endDate = Cut(record[ActionField::EndDateTime], 0, 10);
    endTime = Cut(record[ActionField::EndDateTime], 11, 5);
    // The end time alone tells a whole-day action.
    allDay = endTime == u"24:00";
    if (allDay) startTime = endTime = {};
    latitude = longitude = {};
    const OptText& lat = record[ActionField::Latitude];
    const OptText& lon = record[ActionField::Longitude];
    if (lat && lon && !lat->empty() && !lon->empty()) {
        latitude = FormatDegreesText(StoredNumber(*lat));
        longitude = FormatDegreesText(StoredNumber(*lon));
    }
    subject = record[ActionField::Subject];
    place = record[ActionField::Place].value_or(u"");
    category1 = record[ActionField::Category1].value_or(u"");
    category2 = record[ActionField::Category2].value_or(u"");
    memo = record[ActionField::Memo].value_or(u"");
    extItems = record[ActionField::ExtItems];
    loadedStartDate = startDate;
    RefreshMemoDisplay();
}

void EditActionForm::ApplyFollowOnTimes() {
    std::u16string previousEndDate = endDate, previousEndTime = endTime;
    if (allDay) {
        startDate = endDate = AddDaysToDateText(previousEndDate, 1);
        return;
    }
    startDate = endDate = previousEndDate;
    startTime = endTime = previousEndTime;
    if (startDate != TodayText()) return;
    LocalDateTime now = LocalNow();
    if (app_.settings.TimeInitForFollowMode == 1) {
        std::u16string nowText = FormatHourMinute(now.hour, now.minute);
        if (!(startTime > nowText)) endTime = nowText;
        return;
    }
    int startHour = startTime.size() >= 2 ? (startTime[0] - u'0') * 10 + (startTime[1] - u'0') : 0;
    if (startHour > now.hour) return;
    if (now.minute <= 30) {
        endTime = FormatHourMinute(now.hour, 30);
    } else if (now.hour == 23) {
        endTime = u"00:00";
        endDate = AddDaysToDateText(endDate, 1);
    } else {
        endTime = FormatHourMinute(now.hour + 1, 0);
    }
}

// Start and end are compared as texts; a whole day runs from 00:00 to 24:00.
void EditActionForm::DragEndToStart() {
    if (allDay) {
        if (endDate < startDate) endDate = startDate;
        return;
    }
    if (CompareDateTime(startDate, startTime, endDate, endTime) > 0) {
        endDate = startDate;
        endTime = startTime;
    }
}

void EditActionForm::DragStartToEnd() {
    if (allDay) {
        if (startDate > endDate) startDate = endDate;
        return;
    }
    if (CompareDateTime(startDate, startTime, endDate, endTime) > 0) {
        startDate = endDate;
        startTime = endTime;
    }
}

void EditActionForm::SetStartDate(const std::u16string& date) {
    if (date == startDate) return;
    startDate = date;
    modified = true;
    DragEndToStart();
    RefreshMemoDisplay();
}

void EditActionForm::SetEndDate(const std::u16string& date) {
    if (date == endDate) return;
    endDate = date;
    modified = true;
    DragStartToEnd();
    RefreshMemoDisplay();
}

namespace {

// The time of a typed text as "hh:mm"; false after the refusal message.
bool ReadTypedTime(WindowHandle owner, const std::u16string& text, std::u16string& time) {
    int hour = 0, minute = 0, second = 0;
    if (ParseTimeEntry(text, hour, minute, second) != 0) {
        ShowMessage(owner, u"入力した時刻の値が不正です。入力値を見直してください。", u"入力値不正",
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    time = FormatHourMinute(hour, minute);
    return true;
}

} // namespace

void EditActionForm::CommitStartTime(const std::u16string& text) {
    if (text == kAllDayText) {
        if (!allDay) modified = true;
        allDay = true;
        startTime = endTime = {};
        if (endDate < startDate) endDate = startDate;
        RefreshMemoDisplay();
        return;
    }
    std::u16string time;
    if (!ReadTypedTime(owner_, text, time)) return;
    if (time != startTime || allDay) modified = true;
    startTime = time;
    if (allDay) {
        allDay = false;
        endTime = time;
    }
    DragEndToStart();
    RefreshMemoDisplay();
}

void EditActionForm::CommitEndTime(const std::u16string& text) {
    if (allDay) return; // the end time is disabled while all-day
    std::u16string time;
    if (!ReadTypedTime(owner_, text, time)) return;
    if (time != endTime) modified = true;
    endTime = time;
    DragStartToEnd();
    RefreshMemoDisplay();
}

void EditActionForm::SetStartNow() {
    std::u16string today = TodayText();
    if (today != startDate) modified = true;
    startDate = today;
    if (allDay) {
        if (endDate < today) endDate = today;
    } else {
        std::u16string now = NowHourMinute();
        if (now != startTime) modified = true;
        startTime = now;
        DragEndToStart();
    }
    RefreshMemoDisplay();
}

void EditActionForm::SetEndNow() {
    std::u16string today = TodayText();
    if (today != endDate) modified = true;
    endDate = today;
    if (allDay) {
        if (startDate > today) startDate = today;
    } else {
        std::u16string now = NowHourMinute();
        if (now != endTime) modified = true;
        endTime = now;
        DragStartToEnd();
    }
    RefreshMemoDisplay();
}

void EditActionForm::CommitPlace(const std::u16string& text) {
    const std::u16string& separator = app_.settings.PlaceSepaStr;
    bool holdsSeparator = !separator.empty() && text.find(separator) != std::u16string::npos;
    if (!(app_.settings.NoMemPlaceSepaStr != 0 && holdsSeparator))
        RememberPickValue(app_.settings.lists.Place, 80, text);
    if (text != place) modified = true;
    place = text;
    RefreshMemoDisplay();
}

void EditActionForm::CommitCategory(int which, const std::u16string& text) {
    auto& list = which == 1 ? app_.settings.lists.Category1 : app_.settings.lists.Category2;
    std::u16string& field = which == 1 ? category1 : category2;
    RememberPickValue(list, 80, text);
    if (text != field) modified = true;
    field = text;
    RefreshMemoDisplay();
}

void EditActionForm::CommitMemo(const std::u16string& typed, bool fromBox) {
    std::u16string text = fromBox ? StripLineBreaks(typed) : typed;
    RememberPickValue(app_.settings.lists.Memo, 20, text);
    if (text != memo) modified = true;
    memo = text;
    RefreshMemoDisplay();
}

void EditActionForm::SetExtItems(const OptText& text) {
    if (text != extItems) modified = true;
    extItems = text;
    RefreshMemoDisplay();
}

ActionRecord EditActionForm::ToRecord() const {
    ActionRecord record;
    record[ActionField::ActId] = actId;
    record[ActionField::LastUpdate] = lastUpdate;
    record[ActionField::StaDateTime] = allDay ? startDate + u" 00:00:00" : JoinDateTime(startDate, startTime);
    record[ActionField::EndDateTime] = allDay ? endDate + u" 24:00:00" : JoinDateTime(endDate, endTime);
    OptText lat = StoredDegrees(latitude), lon = StoredDegrees(longitude);
    if (lat && lon) {
        record[ActionField::Latitude] = lat;
        record[ActionField::Longitude] = lon;
    }
    record[ActionField::Subject] = subject;
    record[ActionField::Place] = NonEmpty(place);
    record[ActionField::Category1] = NonEmpty(category1);
    record[ActionField::Category2] = NonEmpty(category2);
    record[ActionField::Memo] = NonEmpty(memo);
    record[ActionField::ExtItems] = extItems;
    return record;
}

void EditActionForm::RefreshMemoDisplay() {
    if (!languageOn()) {
        memoShown = memo;
        return;
    }
    ActionTextInput input{ToRecord(), kNoPosition, kNoPosition};
    input.latitude = FieldDegrees(latitude).value_or(kNoPosition);
    input.longitude = FieldDegrees(longitude).value_or(kNoPosition);
    input.record[ActionField::Memo] = memo;
    memoShown.clear();
    ParseActionText(input, memoShown);
}

int EditActionForm::Create(ActionRecord& record) {
    if (!table_) return kFormStopped;
    record[ActionField::ActId].reset();
    HRESULT hr = table_->InsertAction(record);
    if (hr != S_OK) {
        ShowMessage(owner_, FormatText("アクションの作成に失敗しました。(%x)", static_cast<unsigned>(hr)),
                    u"アクション作成エラー", MB_OK | MB_ICONERROR);
        return kFormWriteFailed;
    }
    return AfterWrite(record);
}

int EditActionForm::Update(ActionRecord& record) {
    if (!table_) return kFormStopped;
    HRESULT hr = table_->UpdateAction(record);
    // DB_S_ENDOFROWSET: the action is gone from the file, so nothing was written.
    if (hr != S_OK) {
        ShowMessage(owner_, FormatText("アクションの変更に失敗しました。(%x)", static_cast<unsigned>(hr)),
                    u"アクション変更エラー", MB_OK | MB_ICONERROR);
        return kFormWriteFailed;
    }
    return AfterWrite(record);
}

int EditActionForm::AfterWrite(const ActionRecord& record) {
    actId = record[ActionField::ActId];
    lastUpdate = record[ActionField::LastUpdate];
    app_.currentActionId = actId.value_or(u"");
    app_.selectedActionId = app_.currentActionId;
    HRESULT indexed = RefreshIndexAfterSaveOrTell(*table_, app_.actionIndex, *actId, app_.searchCondition, owner_);
    loadedStartDate = startDate;
    int year = 0, month = 0, day = 0;
    if (ParseDateText(startDate, year, month, day) == 0) app_.shownDate = ShownDate{year, month, day};
    return FAILED(indexed) ? kFormIndexFailed : kFormDone;
}

int EditActionForm::Write() {
    ActionRecord record = ToRecord();
    int result = state == EditState::New ? Create(record) : Update(record);
    if (result == kFormWriteFailed) return kFormStopped;
    if (result == kFormStopped) {
        ShowInvalidInput(owner_);
        return kFormStopped;
    }
    // Written, also when the index could not be read back afterwards.
    state = EditState::Change;
    modified = false;
    return result;
}

int EditActionForm::Save() {
    if (state == EditState::Change && startDate != loadedStartDate) {
        int answer = ShowMessage(owner_, u"開始日が変更されたので、指定の日にアクションを移動しますがよろしいですか。",
                                 u"開始日変更確認", MB_OKCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return kFormStopped;
    }
    WaitCursorScope wait;
    int written = Write();
    if (written == kFormStopped) return kFormStopped;
    RefreshMemoDisplay();
    modified = false;
    RecordSwitches();
    if (written == kFormIndexFailed) return kFormIndexFailed;
    if (!continuous) return kFormDone;
    long long found = app_.actionIndex.FindId(*actId);
    if (found < 0) {
        ShowMessage(owner_, u"変更したアクションIDが見つかりません。", u"内部エラー", MB_OK | MB_ICONEXCLAMATION);
        return kFormStopped;
    }
    position = found;
    app_.selectedPosition = found;
    return kFormDone;
}

int EditActionForm::CheckUnsaved(bool shortQuestions) {
    if (!modified) return kFormDone;
    bool creating = state == EditState::New;
    const char16_t* text =
        creating ? (shortQuestions ? u"作成しますか。" : u"アクションの内容が入力されています。作成しますか。")
                 : (shortQuestions ? u"変更しますか。" : u"アクションの内容が変更されています。変更しますか。");
    int answer = ShowMessage(owner_, text, creating ? u"作成確認" : u"変更確認", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return kFormStopped;
    if (answer == IDYES) {
        int written = Write();
        if (written != kFormDone) return written;
    }
    modified = false;
    RefreshMemoDisplay();
    return kFormDone;
}

void EditActionForm::NewAction() {
    position = app_.actionIndex.count();
    StartNewOn(app_.shownDate.year, app_.shownDate.month, app_.shownDate.day);
    modified = false;
}

void EditActionForm::CopyAction() {
    state = EditState::New;
    actId.reset();
    lastUpdate.reset();
    RefreshMemoDisplay();
}

void EditActionForm::FollowOnAction() {
    ApplyFollowOnTimes();
    ClearContents();
    state = EditState::New;
    RefreshMemoDisplay();
}

void EditActionForm::Previous() {
    long long count = app_.actionIndex.count();
    if (count == 0) return;
    long long to = state == EditState::New ? count - 1 : position - 1;
    if (to < 0) return;
    position = to;
    ShowActionAt(to, "OnBtnPrev", 201);
    modified = false;
}

void EditActionForm::Next() {
    long long count = app_.actionIndex.count();
    if (position >= count - 1) {
        // Past the last action: a new one for today, whatever day the views show.
        LocalDateTime now = LocalNow();
        StartNewOn(now.year, now.month, now.day);
        position = count;
    } else {
        position += 1;
        ShowActionAt(position, "OnBtnPrev", 202);
    }
    modified = false;
}

int EditActionForm::Delete() {
    if (state != EditState::Change || !actId || !table_) return kFormStopped;
    int answer =
        ShowMessage(owner_, u"このアクションを削除しますか？", u"アクションの削除の確認", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return kFormStopped;
    WaitCursorScope wait;
    ActionIndex& index = app_.actionIndex;
    std::u16string neighbour;
    long long count = index.count();
    if (position + 1 < count)
        neighbour = index.IdAt(position + 1);
    else if (position - 1 >= 0 && position - 1 < count)
        neighbour = index.IdAt(position - 1);
    std::u16string start = ToRecord()[ActionField::StaDateTime].value_or(u"");
    std::u16string id = *actId;
    HRESULT hr = table_->DeleteAction(id);
    if (hr < 0) {
        ShowMessage(owner_, FormatText("アクションの削除に失敗しました。(%x)", static_cast<unsigned>(hr)),
                    u"アクション削除エラー", MB_OK | MB_ICONERROR);
        return kFormStopped;
    }
    HRESULT indexed = RefreshIndexAfterSaveOrTell(*table_, index, id, app_.searchCondition, owner_);
    modified = false;
    if (FAILED(indexed)) return kFormIndexFailed;
    if (index.empty()) return kFormListEmpty;
    long long to = 0;
    if (!neighbour.empty()) {
        to = index.FindId(neighbour);
        if (to < 0) {
            ShowMessage(owner_, u"対象のアクションIDが見つかりません。", u"内部エラー", MB_OK | MB_ICONEXCLAMATION);
            return kFormStopped;
        }
    } else {
        to = SearchActionIndex(index, start.substr(0, 10), start.size() > 11 ? start.substr(11) : u"",
                               SearchMode::Lower);
        if (to < 0 || to >= index.count()) to = index.count() - 1;
    }
    position = to;
    app_.selectedPosition = to;
    ShowActionAt(to, "FxEditDelete", 301);
    return kFormDone;
}

int EditActionForm::BeginAcquire(WindowHandle window) {
    if (acquiring_) return 0;
    savedLatitude_ = latitude;
    savedLongitude_ = longitude;
    latitude = longitude = kAcquiringText;
    acquiring_ = true;
    int rc = RequestPosition(window, kPositionCommand);
    if (rc >= 0) return 0;
    // No position source: the fields come back at once instead of waiting for the user.
    latitude = savedLatitude_;
    longitude = savedLongitude_;
    acquiring_ = false;
    ShowPositionUnavailable(owner_);
    return rc;
}

void EditActionForm::OfferPosition(const char16_t* text, const char16_t* caption, unsigned flags) {
    std::u16string lat = FormatDegreesText(fixLatitude_), lon = FormatDegreesText(fixLongitude_);
    std::u16string message = text;
    message += u"\nLat:" + lat + u"\nLon:" + lon;
    if (ShowMessage(owner_, message, caption, flags) != IDYES) return;
    latitude = lat;
    longitude = lon;
    modified = true;
    RefreshMemoDisplay();
}

void EditActionForm::OnPositionDone() {
    if (!acquiring_) return;
    acquiring_ = false;
    latitude = savedLatitude_;
    longitude = savedLongitude_;
    PositionListener* listener = CurrentPositionListener();
    if (!listener) return;
    haveFix_ = true;
    fixLatitude_ = listener->latitude;
    fixLongitude_ = listener->longitude;
    OfferPosition(u"位置情報を取得しました。値を取り込みますか？", u"位置情報取得", MB_YESNO | MB_ICONQUESTION);
}

void EditActionForm::ShowLastPosition() {
    if (!haveFix_) {
        ShowMessage(owner_, u"位置情報は未取得です。", u"位置情報未取得", MB_OK | MB_ICONINFORMATION);
        return;
    }
    OfferPosition(u"現在の位置情報は以下の値です。値を取り込みますか？", u"位置情報", MB_YESNO | MB_ICONQUESTION);
}

void EditActionForm::ClearPosition() {
    latitude.clear();
    longitude.clear();
    RefreshMemoDisplay();
}

bool EditActionForm::MapPosition(double& lat, double& lon) const {
    std::optional<double> a = FieldDegrees(latitude), b = FieldDegrees(longitude);
    if (!a || !b) {
        ShowMessage(owner_, u"位置情報が未取得です。", u"位置情報未取得", MB_OK | MB_ICONERROR);
        return false;
    }
    lat = *a;
    lon = *b;
    return true;
}

void EditActionForm::RecordSwitches() {
    app_.settings.EditOpeCont = continuous ? 1 : 0;
    app_.settings.StartupMode = openAtStartup ? 2 : (startupModeAtOpen_ == 2 ? 0 : startupModeAtOpen_);
}
