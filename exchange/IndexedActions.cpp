// Reading the actions of the index by one ordered scan, falling back to lookups.
#include "exchange/IndexedActions.h"

#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/SqlText.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <array>
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

// A text column read as it is stored (UTF-8, the engine's own form) when it is all
// ASCII, which is widened unit by unit; any other text is left to the engine's own
// conversion, so the texts are exactly those a lookup would give.
// The text goes into the record's own string, so its room is used again row by row.
void ReadTextColumn(sqlite3_stmt* stmt, int column, ColumnKind kind, OptText& out) {
    const auto* bytes = sqlite3_column_text(stmt, column);
    if (!bytes) { // NULL, or memory ran out
        out = ColumnText(stmt, column, kind);
        return;
    }
    auto size = static_cast<size_t>(sqlite3_column_bytes(stmt, column));
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80) {
            out = ColumnText(stmt, column, kind);
            return;
        }
    }
    if (!out) out.emplace();
    std::u16string& text = *out;
    text.resize(size);
    for (size_t i = 0; i < size; ++i)
        text[i] = bytes[i];
    if (kind == ColumnKind::Timestamp) { // stored "YYYY-MM-DD HH:MM:SS", shown "yyyy/mm/dd hh:mm:ss"
        for (size_t i = 1; i < text.size() && i < 10; ++i)
            if (text[i] == u'-') text[i] = u'/';
    }
}

// The same text, the index's in UTF-16 and the scan's in UTF-8.
bool SameId(std::u16string_view id, const char* scanned) {
    size_t i = 0;
    for (; i < id.size(); ++i) {
        if (id[i] >= 0x80) return ToUtf8(id) == scanned;
        if (scanned[i] != static_cast<char>(id[i])) return false;
    }
    return scanned[i] == '\0';
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
    static const std::array<ColumnKind, ActionField::Count> kKinds = [] {
        std::array<ColumnKind, ActionField::Count> kinds{};
        for (int f = 0; f < ActionField::Count; ++f)
            kinds[static_cast<size_t>(f)] = TableBase::KindOf(kUserDataColumns[f]);
        return kinds;
    }();
    if (!scan_) return false;
    if (sqlite3_step(scan_) != SQLITE_ROW) {
        StopScan();
        return false;
    }
    const char* scanned = reinterpret_cast<const char*>(sqlite3_column_text(scan_, ActionField::ActId));
    if (!scanned || !SameId(index_.IdAt(position_), scanned)) {
        StopScan(); // out of step with the index: it was not built from this table state
        return false;
    }
    for (int f = 0; f < ActionField::Count; ++f) {
        ColumnKind kind = kKinds[f];
        if (kind == ColumnKind::Float)
            record[f] = FloatText(scan_, f);
        else if (kind == ColumnKind::Int)
            record[f] = ColumnText(scan_, f, kind);
        else
            ReadTextColumn(scan_, f, kind, record[f]);
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
