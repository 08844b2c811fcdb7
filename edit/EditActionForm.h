// The action edit dialog without its window: the fields as shown, the working state
// (new or change), the rules that prefill, check and drag the dates and times, the
// memo display, and the reads and writes of the action through the table access layer.
// CEditActionDlg shows these fields and passes every command here, so the rules are
// tested without a screen. The function that finds a problem shows its message.
#pragma once

#include "core/ActionRecord.h"
#include "core/MessageBox.h"
#include "core/ResultCodes.h"

#include <string>

class CMainApp;
class UserDataTable;

namespace EditState {
enum : int { New = 1, Change = 2 };
}

// What the time fields show for an action that takes the whole day.
inline constexpr char16_t kAllDayText[] = u"<終日>";
// What the position fields show while an acquisition runs.
inline constexpr char16_t kAcquiringText[] = u"取得中";

// Results of the commands that may end the dialog or stop.
inline constexpr int kFormDone = 0;
inline constexpr int kFormStopped = -1;  // the user cancelled, or a save failed (told)
inline constexpr int kFormListEmpty = 1; // a delete left no action: the dialog ends
// The action was written (or deleted) but the action index could not be read back
// (told): the dialog ends, so that no view or navigation works on a partial index.
inline constexpr int kFormIndexFailed = -2;

class EditActionForm {
public:
    // The form works on the application's index, settings and pick lists; messages are
    // shown over owner. The table is the data file's t_UserData (nullptr: nothing opens).
    EditActionForm(CMainApp& app, UserDataTable* table, WindowHandle owner);

    // Fills the form for an EditDlgMode (1 or 6 new, 2 change, 4 copy, 5 follow-on) from
    // the application's selected position.
    void Open(int mode);

    // --- the fields as the controls show them ---
    std::u16string startDate, startTime, endDate, endTime; // times "hh:mm" (or "" unset)
    bool allDay = false;                                   // both times show "<終日>", stored 00:00:00 … 24:00:00
    std::u16string latitude, longitude;                    // degree texts; empty = no position
    std::u16string place, category1, category2;
    std::u16string memo;      // the memo as typed: what is stored
    std::u16string memoShown; // the memo field: evaluated when the language is on
    OptText subject;          // kept unchanged; no control shows it
    OptText extItems;         // the extended items text, replaced wholesale
    OptText actId, lastUpdate;
    int state = EditState::New;
    bool modified = false;
    std::u16string loadedStartDate;
    long long position = 0;

    std::u16string StartTimeShown() const { return allDay ? std::u16string(kAllDayText) : startTime; }
    std::u16string EndTimeShown() const { return allDay ? std::u16string(kAllDayText) : endTime; }
    bool languageOn() const;
    bool PrevEnabled() const;
    bool NextEnabled() const;

    // --- filling ---
    // State new on the given date with times by TimeInitForNewMode; all else empty.
    void StartNewOn(int year, int month, int day);
    // Reads and shows the action at the index position (state change). 0, DB_E_NOTFOUND
    // (fields left empty), or an engine code after the "Error" message naming `where`.
    HRESULT ShowActionAt(long long at, const char* where, int line);
    void ShowRecord(const ActionRecord& record);
    // The follow-on dates and times after the action now on screen (or just read).
    void ApplyFollowOnTimes();

    // --- editing; each sets the modified flag when a value changes ---
    void SetStartDate(const std::u16string& date);
    void SetEndDate(const std::u16string& date);
    // The typed or picked time text. A text that is no time is refused with its message
    // (the old value stays); the function still succeeds, as the commit does.
    void CommitStartTime(const std::u16string& text);
    void CommitEndTime(const std::u16string& text);
    void SetStartNow();
    void SetEndNow();
    void CommitPlace(const std::u16string& text);
    void CommitCategory(int which, const std::u16string& text);
    // A memo from the list or the box (line breaks are dropped from the box's text).
    void CommitMemo(const std::u16string& text, bool fromBox);
    void SetExtItems(const OptText& text);
    // Re-evaluates memoShown (the typed memo itself when the language is off).
    void RefreshMemoDisplay();

    // --- saving ---
    // The record the form would store.
    ActionRecord ToRecord() const;
    // The save command: asks about a changed start date, creates or updates, and with
    // continuous input switches to change on the saved action. kFormDone, kFormStopped
    // or kFormIndexFailed.
    int Save();
    // Create or update without questions; kFormDone, kFormStopped after the messages,
    // or kFormIndexFailed (written, index told).
    int Write();
    // Before new, copy, follow-on, previous, next, close and exit: asks about unsaved
    // changes (the short questions for the OK command). kFormDone, kFormStopped or
    // kFormIndexFailed.
    int CheckUnsaved(bool shortQuestions = false);

    // --- commands inside the dialog (the unsaved check is the caller's) ---
    void NewAction();
    void CopyAction();
    void FollowOnAction();
    void Previous();
    void Next();
    // Asks, deletes and shows the neighbour. kFormDone, kFormStopped, kFormListEmpty or
    // kFormIndexFailed.
    int Delete();

    // --- position ---
    // Shows "取得中" and starts an acquisition reporting to window; when the source
    // cannot start, the texts come back at once and the user is told.
    int BeginAcquire(WindowHandle window);
    // Command 33103: the fix, offered for the fields.
    void OnPositionDone();
    bool acquiring() const { return acquiring_; }
    void ShowLastPosition();
    void ClearPosition();
    // The position for the web map; false after "位置情報が未取得です。".
    bool MapPosition(double& lat, double& lon) const;

    // The continuous-input and open-at-start-up switches as the toolbar shows them.
    bool continuous = false;
    bool openAtStartup = false;
    // Stores both switches in the settings (on save, close and exit).
    void RecordSwitches();

private:
    std::u16string TodayText() const;
    void ClearContents();
    void DragEndToStart();
    void DragStartToEnd();
    void OfferPosition(const char16_t* text, const char16_t* caption, unsigned flags);
    // The write itself: kFormDone or kFormIndexFailed; a told write failure has a code
    // of its own, so that Write does not also call the input invalid.
    int Create(ActionRecord& record);
    int Update(ActionRecord& record);
    // kFormDone, or kFormIndexFailed when the index could not be brought up to date.
    int AfterWrite(const ActionRecord& record);

    CMainApp& app_;
    UserDataTable* table_;
    WindowHandle owner_;
    int startupModeAtOpen_ = 0;
    bool acquiring_ = false;
    std::u16string savedLatitude_, savedLongitude_;
    bool haveFix_ = false;
    double fixLatitude_ = 0, fixLongitude_ = 0;
};

// Today plus or minus days as "yyyy/mm/dd" (the date text must be valid).
std::u16string AddDaysToDateText(const std::u16string& date, int days);
