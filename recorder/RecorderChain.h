// The recorder without its window: the chain of one-tap actions (record, stop, restart,
// back, clear, delete), the history and its lines, on the application object's state
// and the open data file. The dialog shows what this keeps; tests and other tools drive
// it directly. Every failure is told here; callers act on the result code.
#pragma once

#include "core/ActionRecord.h"
#include "core/MessageBox.h"

#include <string>
#include <vector>

class CMainApp;
struct RecorderState;

// The six fields the recorder shows, as texts.
struct RecorderFields {
    std::u16string time; // "<現在時刻>" (the clock) or hh:mm
    std::u16string latitude;
    std::u16string longitude;
    std::u16string place;
    std::u16string category1;
    std::u16string category2;
};

// Result codes of the chain's commands.
inline constexpr int kRecorderDone = 0;
inline constexpr int kRecorderDeclined = 1;      // the user said No, or there was nothing to do
inline constexpr int kRecorderBadTime = -1;      // the time field does not read as a time
inline constexpr int kRecorderReadFailed = -2;   // reading an action failed (trace shown)
inline constexpr int kRecorderUpdateFailed = -3; // the open action could not be closed
inline constexpr int kRecorderInsertFailed = -4; // the new action could not be inserted
inline constexpr int kRecorderStateFailed = -5;  // a recorder item or history row could not be written
inline constexpr int kRecorderDeleteFailed = -6; // an action could not be deleted (trace shown)
inline constexpr int kRecorderIndexFailed = -7;  // written, but the action index could not be read (told)

// The history line of an action: start date, " ", hh:mm (or "終日" for 00:00:00 to
// 24:00:00), "::", place, "...::" when open else "::", category 1, "::", category 2.
std::u16string RecorderHistoryLine(const ActionRecord& action, bool open);

// The record date-time from the time field: today's date and either the clock (for
// "<現在時刻>") or the typed time as hh:mm:ss. 0, or kRecorderBadTime after telling
// "入力した時刻の値が不正です。…".
int RecordDateTime(WindowHandle owner, std::u16string_view timeField, std::u16string& date, std::u16string& time);

// The in-place time editor's commit: "<現在時刻>" stays, a time becomes hh:mm. 0, or
// kRecorderBadTime after telling (the text is then unchanged).
int CommitTimeField(WindowHandle owner, std::u16string& text);

// The value pick lists a committed field goes into: place (unless NoMemPlaceSepaStr is
// set and the value holds the move separator), category 1, category 2.
enum class RecorderPick { Place, Category1, Category2 };
void RememberRecorderValue(CMainApp& app, RecorderPick pick, const std::u16string& value);

class RecorderChain {
public:
    RecorderChain(CMainApp& app, WindowHandle owner);

    // On the first opening in a run (and after a failed one): the history and the items
    // from the data file. 0, or the load code after "レコーダーデータ読込み中に…".
    int LoadOnce();

    // An action is open (the chain runs).
    bool open() const;
    // The lines the history list shows, oldest first, one per history entry.
    const std::vector<std::u16string>& lines() const { return lines_; }

    // The writing commands below take the data file's write lock before they read or
    // write anything, waiting up to the busy timeout for another program's write; when
    // it cannot be had they change nothing and give kRecorderStateFailed after
    // "レコーダーデータ書込みに時にエラー発生。(…)".

    // One tap on record: closes the open action at the record time (with the move
    // separator when the place changed), inserts the new action, writes the history and
    // the recorder items, refreshes the index. All its writes are one transaction.
    int Record(const RecorderFields& fields);
    // Closes the open action as Record does and stops the chain.
    int Stop(const RecorderFields& fields);
    // Reopens the last history action (cutting the place at its last move separator).
    int Reopen();
    // Asks, deletes the last history action and reopens the one before it.
    int Back();
    // Empties the history and stops the chain; no action is deleted.
    int Clear();
    // Asks, then deletes the actions of the given lines (last first); the history drops
    // them and is renumbered.
    int DeleteLines(const std::vector<int>& rows);
    // Reads every history action again: vanished ones drop out (the history rows are
    // then rewritten), a vanished open action stops the chain. Rebuilds lines().
    int Refill();
    // The index position of a line's action for the edit dialog, made the main window's
    // current action; a negative code after telling why it cannot be opened.
    long long PositionOfLine(int row);

private:
    RecorderState& state() const;
    // Reads an action; DB_E_NOTFOUND is an answer, other failures show the trace of
    // operation with the step "Select" and give kRecorderReadFailed.
    int ReadAction(const char* operation, int line, const std::u16string& id, ActionRecord& action, bool& found);
    // End at the record time and the move separator, then the update. kRecorderDone,
    // or kRecorderUpdateFailed after "レコード更新エラー(…)".
    int CloseAction(ActionRecord& action, const std::u16string& date, const std::u16string& time,
                    const std::u16string& place);
    // Reopening: cut the place at the last move separator (and, for back, the end back
    // to the start), then the update; a failure is told and the command goes on.
    void ReopenAction(ActionRecord& action, bool endAtStart);
    // Writes RcdrPreActId and RcdrPreDateTime; kRecorderStateFailed after telling.
    int WriteOpenAction();
    int WriteHistoryCount(const char16_t* failureText);
    // Brings the index up to date after a write of the action; kRecorderDone, or
    // kRecorderIndexFailed after telling. Once a read has failed, the next refresh reads
    // the whole index (one action put into an empty index would look like a diary).
    int RefreshIndex(const std::u16string& id);
    void SetCurrentAction(const std::u16string& id, const std::u16string& start);
    void Stopped();
    // After a failed commit: the state, index and lines as the data file has them.
    void Reload();

    CMainApp& app_;
    WindowHandle owner_;
    std::vector<std::u16string> lines_;
    bool indexBroken_ = false;
};
