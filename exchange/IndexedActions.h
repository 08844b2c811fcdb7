// The actions of the action index, read in index order for an export. The index
// holds only identifiers, so each action would be one lookup by identifier; instead
// the rows come from one scan in the order the index was built in (start, then
// identifier, with the same search condition), checked identifier by identifier
// against the index. Should the two ever disagree, the rest is read by lookups, so
// the export always holds exactly the actions of the index.
#pragma once

#include "core/ActionRecord.h"
#include "core/ResultCodes.h"

#include <string_view>

class ActionIndex;
class UserDataTable;
struct sqlite3_stmt;

class IndexedActions {
public:
    IndexedActions(UserDataTable& table, const ActionIndex& index, std::u16string_view searchCondition);
    ~IndexedActions();
    IndexedActions(const IndexedActions&) = delete;
    IndexedActions& operator=(const IndexedActions&) = delete;

    // The action at the next position of the index (positions are read in order from
    // 0): S_OK, or the engine's code (DB_E_NOTFOUND when it is gone from the table).
    HRESULT ReadNext(ActionRecord& record);
    // Rows read by lookup instead of from the scan (diagnostics and tests).
    long long lookups() const { return lookups_; }

private:
    bool ReadFromScan(ActionRecord& record);
    void StopScan();

    UserDataTable& table_;
    const ActionIndex& index_;
    sqlite3_stmt* scan_ = nullptr;
    long long position_ = 0;
    long long lookups_ = 0;
};
