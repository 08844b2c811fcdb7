// The table object of t_UserData: text queries, one action by identifier, and the
// insert, update and delete of ActionRecords. Every value is a bound parameter, so an
// identifier read from a file is plain data whatever characters it holds.
#pragma once

#include "store/TableBase.h"
#include "store/UserDataLayout.h"

#include <optional>

class UserDataTable : public TableBase {
public:
    explicit UserDataTable(sqlite3* db);
    ~UserDataTable() override;

    // S_OK and the whole record; DB_E_NOTFOUND when no row has the identifier.
    HRESULT ReadActionById(std::u16string_view id, ActionRecord& record);
    // Inserts one row. A present ActId must pass CheckActionId (else E_INVALIDARG); an
    // absent one is made by CreateUniqueActionId (failure: message "ユニークキーの生成に
    // 失敗しました。" and E_ABORT). LastUpdate is set to now. A period that fails
    // ValidateActionPeriod gives E_INVALIDARG and writes nothing. Texts are cut to
    // the column width. On success record[ActId] holds the identifier used.
    HRESULT InsertAction(ActionRecord& record);
    // Rewrites columns 2–12 of the row with record's identifier (LastUpdate = now).
    // DB_S_ENDOFROWSET and nothing written when no row has that identifier.
    HRESULT UpdateAction(ActionRecord& record);
    // Deletes the row(s) with the identifier; E_INVALIDARG for a malformed identifier.
    HRESULT DeleteAction(std::u16string_view id);
    // A new identifier not yet in the table: fifty random draws for the current
    // second, then the remaining numbers of that second in order, then the following
    // seconds. Nothing only when the table cannot be read.
    std::optional<std::u16string> CreateUniqueActionId();

    // The longest action (end minus start, in seconds) of the table: computed when
    // first asked for, raised by every insert and update, never lowered by a
    // delete (so it stays an upper bound). A multi-day query for a day D may bound
    // the start from below by D minus this length and so use the start index.
    long long LongestActionSeconds();
    // Recomputed on first use and by this call (after bulk changes made outside).
    HRESULT RecomputeLongestAction();
    // Raises the longest action by one written outside InsertAction/UpdateAction.
    void NoteActionLength(std::u16string_view start, std::u16string_view end);
    // Whether the longest action is counted yet (NoteActionLength does nothing before).
    bool KnowsLongestAction() const { return longestKnown_; }

private:
    void RaiseLongest(const ActionRecord& record);
    bool IdExists(std::u16string_view id, HRESULT& hr);

    long long longestActionSeconds_ = 0;
    bool longestKnown_ = false;
    std::u16string hintSecond_; // the last second found with free numbers
    int hintNumber_ = 0;
};

// Seconds from start to end of two "yyyy/mm/dd hh:mm:ss" texts (24:00:00 allowed);
// 0 when either cannot be read.
long long ActionLengthSeconds(std::u16string_view start, std::u16string_view end);
