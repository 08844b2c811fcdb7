// The packed action index and its rebuild, incremental refresh and searches.
#include "store/ActionIndex.h"

#include "core/Utf.h"
#include "store/SqlText.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <cstring>

namespace {

bool IsPackable(std::u16string_view text, size_t width) {
    if (text.size() != width) return false;
    for (char16_t c : text) {
        if (c < 0x20 || c > 0x7e) return false;
    }
    return true;
}

// Entries are ordered by start, then identifier, as SQLite orders texts (code points).
int CompareTexts(std::u16string_view a, std::u16string_view b) {
    return ToUtf8(a).compare(ToUtf8(b));
}

} // namespace

std::u16string ActionIndex::Unpack(std::string_view slot) const {
    if (slot[0] == kOutside) {
        uint32_t n;
        std::memcpy(&n, slot.data() + 1, sizeof n);
        return outside_[n];
    }
    return std::u16string(slot.begin(), slot.end());
}

void ActionIndex::Pack(std::string& into, size_t at, std::u16string_view text, size_t width, bool insert) {
    std::string slot(width, '\0');
    if (IsPackable(text, width)) {
        for (size_t i = 0; i < width; ++i)
            slot[i] = static_cast<char>(text[i]);
    } else {
        uint32_t n = static_cast<uint32_t>(outside_.size());
        outside_.emplace_back(text);
        slot[0] = kOutside;
        std::memcpy(slot.data() + 1, &n, sizeof n);
    }
    if (insert)
        into.insert(at, slot);
    else
        into.replace(at, width, slot);
}

std::u16string ActionIndex::IdAt(long long p) const {
    return Unpack(std::string_view(ids_).substr(static_cast<size_t>(p) * kIdWidth, kIdWidth));
}

std::u16string ActionIndex::StartAt(long long p) const {
    return Unpack(std::string_view(starts_).substr(static_cast<size_t>(p) * kStartWidth, kStartWidth));
}

void ActionIndex::Clear() {
    ids_.clear();
    starts_.clear();
    outside_.clear();
}

void ActionIndex::Append(std::u16string_view id, std::u16string_view start) {
    Pack(ids_, ids_.size(), id, kIdWidth, true);
    Pack(starts_, starts_.size(), start, kStartWidth, true);
}

static bool IsPackableBytes(std::string_view text, size_t width) {
    if (text.size() != width) return false;
    for (char c : text) {
        if (c < 0x20 || c > 0x7e) return false;
    }
    return true;
}

void ActionIndex::AppendUtf8(std::string_view id, std::string_view start) {
    if (IsPackableBytes(id, kIdWidth) && IsPackableBytes(start, kStartWidth)) {
        ids_.append(id);
        starts_.append(start);
    } else {
        Append(FromUtf8(id), FromUtf8(start));
    }
}

void ActionIndex::InsertAt(long long p, std::u16string_view id, std::u16string_view start) {
    Pack(ids_, static_cast<size_t>(p) * kIdWidth, id, kIdWidth, true);
    Pack(starts_, static_cast<size_t>(p) * kStartWidth, start, kStartWidth, true);
}

void ActionIndex::RemoveAt(long long p) {
    ids_.erase(static_cast<size_t>(p) * kIdWidth, kIdWidth);
    starts_.erase(static_cast<size_t>(p) * kStartWidth, kStartWidth);
}

bool ActionIndex::operator==(const ActionIndex& other) const {
    if (count() != other.count()) return false;
    if (outside_.empty() && other.outside_.empty()) return ids_ == other.ids_ && starts_ == other.starts_;
    for (long long i = 0; i < count(); ++i) {
        if (IdAt(i) != other.IdAt(i) || StartAt(i) != other.StartAt(i)) return false;
    }
    return true;
}

long long ActionIndex::FindId(std::u16string_view id, long long from) const {
    if (IsPackable(id, kIdWidth)) {
        std::string key(id.begin(), id.end());
        size_t at = static_cast<size_t>(from) * kIdWidth;
        while ((at = ids_.find(key, at)) != std::string::npos) {
            if (at % kIdWidth == 0) return static_cast<long long>(at / kIdWidth);
            ++at;
        }
        return -1;
    }
    for (long long i = from; i < count(); ++i) {
        if (ids_[static_cast<size_t>(i) * kIdWidth] == kOutside && IdAt(i) == id) return i;
    }
    return -1;
}

static std::string IndexQuery(std::u16string_view searchCondition, bool byId) {
    std::string sql = "select f_nchActId,f_nchStaDateTime from t_UserData";
    std::string where;
    if (byId) where = "f_nchActId = ?";
    if (!searchCondition.empty()) {
        if (!where.empty()) where += " and ";
        where += "(" + ToUtf8(searchCondition) + ")";
    }
    if (!where.empty()) sql += " where " + where;
    // The identifier breaks ties so that the order is the same on every rebuild.
    return sql + " order by f_nchStaDateTime asc, f_nchActId asc";
}

static std::u16string ColumnOrEmpty(sqlite3_stmt* stmt, int column) {
    OptText text = ColumnText(stmt, column, ColumnKind::Text);
    return text ? *text : std::u16string();
}

HRESULT RebuildActionIndex(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition) {
    index.Clear();
    sqlite3_stmt* stmt = nullptr;
    std::string sql = IndexQuery(searchCondition, false);
    HRESULT hr = HResultFromSqlite(sqlite3_prepare_v2(table.db(), sql.c_str(), -1, &stmt, nullptr));
    if (FAILED(hr)) return hr;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        // Identifiers and starts are ASCII in the stored UTF-8, read without conversion.
        const char* a = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        const char* b = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        if (a && b) {
            index.AppendUtf8(std::string_view(a, static_cast<size_t>(sqlite3_column_bytes(stmt, 0))),
                             std::string_view(b, static_cast<size_t>(sqlite3_column_bytes(stmt, 1))));
        } else {
            index.Append(ColumnOrEmpty(stmt, 0), ColumnOrEmpty(stmt, 1));
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        index.Clear();
        return HResultFromSqlite(rc);
    }
    return S_OK;
}

// First position whose (start, id) is greater than the given pair.
static long long UpperPosition(const ActionIndex& index, std::u16string_view start, std::u16string_view id) {
    long long low = 0, high = index.count();
    while (low < high) {
        long long mid = low + (high - low) / 2;
        int c = CompareTexts(index.StartAt(mid), start);
        if (c == 0) c = CompareTexts(index.IdAt(mid), id);
        if (c <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

HRESULT RefreshIndexAfterSave(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                              std::u16string_view searchCondition) {
    for (long long p = index.FindId(id); p >= 0; p = index.FindId(id, p))
        index.RemoveAt(p);
    sqlite3_stmt* stmt = nullptr;
    std::string sql = IndexQuery(searchCondition, true);
    HRESULT hr = HResultFromSqlite(sqlite3_prepare_v2(table.db(), sql.c_str(), -1, &stmt, nullptr));
    if (SUCCEEDED(hr)) hr = BindText(stmt, 1, std::u16string(id));
    int rc = SQLITE_DONE;
    while (SUCCEEDED(hr) && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::u16string rowId = ColumnOrEmpty(stmt, 0), start = ColumnOrEmpty(stmt, 1);
        index.InsertAt(UpperPosition(index, start, rowId), rowId, start);
    }
    sqlite3_finalize(stmt);
    if (SUCCEEDED(hr) && rc != SQLITE_DONE) hr = HResultFromSqlite(rc);
    return hr;
}

long long SearchActionIndex(const ActionIndex& index, std::u16string_view date, std::u16string_view time,
                            SearchMode mode) {
    if (index.empty()) return -101;
    auto compare = [&](size_t i) {
        std::u16string start = index.StartAt(static_cast<long long>(i));
        std::u16string_view s(start);
        std::u16string_view d = s.substr(0, 10), t = s.size() > 11 ? s.substr(11, 8) : std::u16string_view();
        int c = d.compare(date);
        return c != 0 ? c : t.compare(time);
    };
    return static_cast<long long>(BinarySearch(static_cast<size_t>(index.count()), mode, compare));
}

long long FindActionInIndex(UserDataTable& table, const ActionIndex& index, std::u16string_view id) {
    HRESULT hr = table.OpenQuery(u"select f_nchStaDateTime from t_UserData where f_nchActId = ?", {"f_nchStaDateTime"},
                                 {std::u16string(id)});
    if (FAILED(hr)) return -103;
    std::vector<OptText> row;
    hr = table.ReadNextRow(row);
    table.CloseQuery();
    if (hr == DB_S_ENDOFROWSET) return -104;
    if (FAILED(hr)) return -105;
    if (index.empty()) return -101;
    std::u16string start = row[0] ? *row[0] : std::u16string();
    std::u16string_view s(start);
    long long p = SearchActionIndex(index, s.substr(0, 10), s.size() > 11 ? s.substr(11, 8) : std::u16string_view(),
                                    SearchMode::Lower);
    for (; p >= 0 && p < index.count() && index.StartAt(p) == start; ++p) {
        if (index.IdAt(p) == id) return p;
    }
    return -1;
}
