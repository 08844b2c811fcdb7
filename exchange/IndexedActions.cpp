// Reading the actions of the index by one ordered scan, falling back to lookups.
#include "exchange/IndexedActions.h"

#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/SqlText.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <charconv>

namespace {

// The twelve columns in the order the index is built in.
std::string ScanQuery(std::u16string_view searchCondition) {
    std::string sql = "select ";
    for (int f = 0; f < ActionField::Count; ++f)
        sql += std::string(f ? ", " : "") + kUserDataColumns[f];
    sql += " from t_UserData";
    if (!searchCondition.empty()) sql += " where (" + ToUtf8(searchCondition) + ")";
    return sql + " order by f_nchStaDateTime asc, f_nchActId asc";
}

// The "%f" text of a float column (six decimals, correctly rounded as printf does),
// made without the formatting machinery since an export formats two per row.
OptText FloatText(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    char buffer[400];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, sqlite3_column_double(stmt, column), std::chars_format::fixed, 6);
    if (error != std::errc()) return ColumnText(stmt, column, ColumnKind::Float);
    return std::u16string(buffer, end);
}

} // namespace

IndexedActions::IndexedActions(UserDataTable& table, const ActionIndex& index, std::u16string_view searchCondition)
    : table_(table), index_(index) {
    if (sqlite3_prepare_v2(table.db(), ScanQuery(searchCondition).c_str(), -1, &scan_, nullptr) != SQLITE_OK)
        StopScan();
}

IndexedActions::~IndexedActions() {
    StopScan();
}

void IndexedActions::StopScan() {
    sqlite3_finalize(scan_);
    scan_ = nullptr;
}

bool IndexedActions::ReadFromScan(ActionRecord& record) {
    if (!scan_) return false;
    if (sqlite3_step(scan_) != SQLITE_ROW) {
        StopScan();
        return false;
    }
    std::u16string id = index_.IdAt(position_);
    const char* scanned = reinterpret_cast<const char*>(sqlite3_column_text(scan_, ActionField::ActId));
    if (!scanned || ToUtf8(id) != scanned) {
        StopScan(); // out of step with the index: it was not built from this table state
        return false;
    }
    for (int f = 0; f < ActionField::Count; ++f) {
        ColumnKind kind = TableBase::KindOf(kUserDataColumns[f]);
        record[f] = kind == ColumnKind::Float ? FloatText(scan_, f) : ColumnText(scan_, f, kind);
    }
    return true;
}

HRESULT IndexedActions::ReadNext(ActionRecord& record) {
    HRESULT hr = S_OK;
    if (!ReadFromScan(record)) {
        ++lookups_;
        hr = table_.ReadActionById(index_.IdAt(position_), record);
    }
    ++position_;
    return hr;
}
