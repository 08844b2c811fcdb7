// The item tables: get and set of named values, and the recorder history rows.
#include "store/ItemTables.h"

#include "store/SqlText.h"

#include <sqlite3.h>

namespace {

constexpr size_t kItemWidth = 20;
constexpr size_t kValueWidth = 500;

HRESULT StepDone(sqlite3_stmt* stmt) {
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE ? S_OK : HResultFromSqlite(rc);
}

// Runs a statement that yields one row of one column: S_OK and the value, or
// DB_E_NOTFOUND when there is no row.
HRESULT SeekOne(sqlite3_stmt* stmt, ColumnKind kind, OptText& value) {
    int rc = sqlite3_step(stmt);
    HRESULT hr = rc == SQLITE_ROW ? S_OK : rc == SQLITE_DONE ? DB_E_NOTFOUND : HResultFromSqlite(rc);
    if (rc == SQLITE_ROW) value = ColumnText(stmt, 0, kind);
    sqlite3_reset(stmt);
    return hr;
}

} // namespace

ItemTextTable::ItemTextTable(sqlite3* db, std::string tableName, std::string indexName)
    : TableBase(db, std::move(tableName), std::move(indexName)) {}

HRESULT ItemTextTable::GetItemText(std::u16string_view item, OptText& value) {
    std::string sql = "select f_nvcValue from " + tableName() + " where f_nvcItem = ? limit 1";
    HRESULT hr;
    sqlite3_stmt* stmt = Cached(sql.c_str(), hr);
    if (!stmt) return hr;
    hr = BindText(stmt, 1, CutToWidth(item, kItemWidth));
    if (FAILED(hr)) return hr;
    OptText read;
    hr = SeekOne(stmt, ColumnKind::Text, read);
    if (SUCCEEDED(hr)) value = read;
    return hr;
}

HRESULT ItemTextTable::SetItemText(std::u16string_view item, const OptText& value) {
    OptText current;
    HRESULT hr = GetItemText(item, current);
    if (FAILED(hr) && hr != DB_E_NOTFOUND) return hr;
    std::string sql = hr == DB_E_NOTFOUND ? "insert into " + tableName() + " (f_nvcItem, f_nvcValue) values (?1, ?2)"
                                          : "update " + tableName() + " set f_nvcValue = ?2 where f_nvcItem = ?1";
    sqlite3_stmt* stmt = Cached(sql.c_str(), hr);
    if (!stmt) return hr;
    OptText cut = value ? OptText(CutToWidth(*value, kValueWidth)) : std::nullopt;
    hr = BindText(stmt, 1, CutToWidth(item, kItemWidth));
    if (SUCCEEDED(hr)) hr = BindText(stmt, 2, cut);
    return SUCCEEDED(hr) ? StepDone(stmt) : hr;
}

ItemIntTable::ItemIntTable(sqlite3* db) : TableBase(db, "t_LongData", "i_LongData") {}

HRESULT ItemIntTable::GetItemInt(std::u16string_view item, int& value) {
    HRESULT hr;
    sqlite3_stmt* stmt = Cached("select f_i4Value from t_LongData where f_nvcItem = ? limit 1", hr);
    if (!stmt) return hr;
    hr = BindText(stmt, 1, CutToWidth(item, kItemWidth));
    if (FAILED(hr)) return hr;
    int rc = sqlite3_step(stmt);
    hr = rc == SQLITE_ROW ? S_OK : rc == SQLITE_DONE ? DB_E_NOTFOUND : HResultFromSqlite(rc);
    if (rc == SQLITE_ROW) value = sqlite3_column_int(stmt, 0);
    sqlite3_reset(stmt);
    return hr;
}

HRESULT ItemIntTable::SetItemInt(std::u16string_view item, int value) {
    int current = 0;
    HRESULT hr = GetItemInt(item, current);
    if (FAILED(hr) && hr != DB_E_NOTFOUND) return hr;
    const char* sql = hr == DB_E_NOTFOUND ? "insert into t_LongData (f_nvcItem, f_i4Value) values (?1, ?2)"
                                          : "update t_LongData set f_i4Value = ?2 where f_nvcItem = ?1";
    sqlite3_stmt* stmt = Cached(sql, hr);
    if (!stmt) return hr;
    hr = BindText(stmt, 1, CutToWidth(item, kItemWidth));
    if (SUCCEEDED(hr)) hr = HResultFromSqlite(sqlite3_bind_int(stmt, 2, value));
    return SUCCEEDED(hr) ? StepDone(stmt) : hr;
}

RecorderHistoryTable::RecorderHistoryTable(sqlite3* db) : TableBase(db, "t_RcdrData", "i_RcdrData") {}

HRESULT RecorderHistoryTable::SetHistoryEntry(int sequenceNumber, std::u16string_view id) {
    HRESULT hr;
    sqlite3_stmt* seek = Cached("select 1 from t_RcdrData where f_i4SNo = ? limit 1", hr);
    if (!seek) return hr;
    sqlite3_bind_int(seek, 1, sequenceNumber);
    int rc = sqlite3_step(seek);
    sqlite3_reset(seek);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return HResultFromSqlite(rc);
    const char* sql = rc == SQLITE_DONE ? "insert into t_RcdrData (f_i4SNo, f_nchActId) values (?1, ?2)"
                                        : "update t_RcdrData set f_nchActId = ?2 where f_i4SNo = ?1";
    sqlite3_stmt* stmt = Cached(sql, hr);
    if (!stmt) return hr;
    sqlite3_bind_int(stmt, 1, sequenceNumber);
    hr = BindText(stmt, 2, CutToWidth(id, 18));
    return SUCCEEDED(hr) ? StepDone(stmt) : hr;
}
