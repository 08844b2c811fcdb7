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

// Printable ASCII of exactly the width, checked eight bytes at a time: a byte below
// 0x20 borrows into its top bit when 0x20 is taken from it, a byte above 0x7e
// reaches its top bit when 1 is added.
template <size_t width> bool IsPackableBytes(const char* text, size_t size) {
    static_assert(width >= 16 && width <= 24);
    if (size != width) return false;
    constexpr uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    uint64_t words[3];
    std::memcpy(&words[0], text, 8);
    std::memcpy(&words[1], text + 8, 8);
    std::memcpy(&words[2], text + width - 8, 8);
    uint64_t bad = 0;
    for (uint64_t x : words)
        bad |= ((x - 0x20 * ones) & ~x) | (x + ones) | x;
    return (bad & highs) == 0;
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

void ActionIndex::Encode(char* slot, std::u16string_view text, size_t width) {
    if (IsPackable(text, width)) {
        for (size_t i = 0; i < width; ++i)
            slot[i] = static_cast<char>(text[i]);
        return;
    }
    uint32_t n = static_cast<uint32_t>(outside_.size());
    outside_.emplace_back(text);
    std::memset(slot, 0, width);
    slot[0] = kOutside;
    std::memcpy(slot + 1, &n, sizeof n);
}

void ActionIndex::Pack(PackedBytes& into, size_t at, std::u16string_view text, size_t width) {
    char slot[kStartWidth > kIdWidth ? kStartWidth : kIdWidth];
    Encode(slot, text, width);
    into.insert(at, slot, width);
}

size_t ActionIndex::MemoryBytes() const {
    size_t bytes = ids_.capacity() + starts_.capacity() + hashes_.capacity() * sizeof(uint16_t) +
                   outside_.capacity() * sizeof(std::u16string);
    for (const std::u16string& text : outside_)
        bytes += text.capacity() * sizeof(char16_t);
    return bytes;
}

void ActionIndex::Reserve(long long entries) {
    if (entries <= count()) return;
    ids_.reserve(static_cast<size_t>(entries) * kIdWidth);
    starts_.reserve(static_cast<size_t>(entries) * kStartWidth);
    if (hashed_) hashes_.reserve(static_cast<size_t>(entries));
}

void ActionIndex::Grow() {
    if (ids_.size() + kIdWidth <= ids_.capacity() && starts_.size() + kStartWidth <= starts_.capacity()) return;
    Reserve(count() + count() / 16 + 1024);
}

std::u16string ActionIndex::IdAt(long long p) const {
    return Unpack(Slot(ids_, p, kIdWidth));
}

std::u16string ActionIndex::StartAt(long long p) const {
    return Unpack(Slot(starts_, p, kStartWidth));
}

void ActionIndex::Clear() {
    ids_.clear();
    starts_.clear();
    outside_.clear();
    hashes_.clear();
    hashed_ = false;
}

uint16_t ActionIndex::HashOf(const char* slot) {
    uint64_t head, tail;
    std::memcpy(&head, slot + 2, 8);
    std::memcpy(&tail, slot + kIdWidth - 8, 8);
    return static_cast<uint16_t>((head * 0x9E3779B97F4A7C15ULL ^ tail * 0xC2B2AE3D27D4EB4FULL) >> 48);
}

void ActionIndex::MakeHashes() const {
    hashes_.resize(static_cast<size_t>(count()));
    for (size_t i = 0; i < hashes_.size(); ++i)
        hashes_[i] = HashOf(ids_.data() + i * kIdWidth);
    hashed_ = true;
}

void ActionIndex::Append(std::u16string_view id, std::u16string_view start) {
    InsertAt(count(), id, start);
}

void ActionIndex::AppendUtf8(std::string_view id, std::string_view start) {
    if (IsPackableBytes<kIdWidth>(id.data(), id.size()) && IsPackableBytes<kStartWidth>(start.data(), start.size())) {
        Grow();
        ids_.append(id.data(), kIdWidth);
        starts_.append(start.data(), kStartWidth);
        if (hashed_) hashes_.push_back(HashOf(id.data()));
    } else {
        Append(FromUtf8(id), FromUtf8(start));
    }
}

void ActionIndex::InsertAt(long long p, std::u16string_view id, std::u16string_view start) {
    Grow();
    Pack(ids_, static_cast<size_t>(p) * kIdWidth, id, kIdWidth);
    Pack(starts_, static_cast<size_t>(p) * kStartWidth, start, kStartWidth);
    if (hashed_) hashes_.insert(hashes_.begin() + static_cast<std::ptrdiff_t>(p), HashOf(ids_.data() + p * kIdWidth));
}

void ActionIndex::RemoveAt(long long p) {
    ids_.erase(static_cast<size_t>(p) * kIdWidth, kIdWidth);
    starts_.erase(static_cast<size_t>(p) * kStartWidth, kStartWidth);
    if (hashed_) hashes_.erase(hashes_.begin() + static_cast<std::ptrdiff_t>(p));
}

void ActionIndex::MoveTo(long long from, long long to, std::u16string_view id, std::u16string_view start) {
    auto move = [from, to](PackedBytes& v, size_t width) {
        char* base = v.data();
        size_t f = static_cast<size_t>(from) * width, t = static_cast<size_t>(to) * width;
        if (from < to)
            std::memmove(base + f, base + f + width, t - f);
        else if (to < from)
            std::memmove(base + t + width, base + t, f - t);
        return base + t;
    };
    char* slot = move(ids_, kIdWidth);
    Encode(slot, id, kIdWidth);
    Encode(move(starts_, kStartWidth), start, kStartWidth);
    if (hashed_) {
        uint16_t* h = hashes_.data();
        if (from < to)
            std::memmove(h + from, h + from + 1, static_cast<size_t>(to - from) * sizeof *h);
        else if (to < from)
            std::memmove(h + to + 1, h + to, static_cast<size_t>(from - to) * sizeof *h);
        h[to] = HashOf(slot);
    }
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
    const long long n = count();
    if (IsPackable(id, kIdWidth)) {
        char key[kIdWidth];
        for (size_t i = 0; i < kIdWidth; ++i)
            key[i] = static_cast<char>(id[i]);
        if (!hashed_) MakeHashes();
        const uint16_t hash = HashOf(key);
        const uint16_t* h = hashes_.data();
        auto matches = [&](long long i) {
            return h[i] == hash && std::memcmp(ids_.data() + static_cast<size_t>(i) * kIdWidth, key, kIdWidth) == 0;
        };
        long long i = from;
        for (; i < n && i % 4 != 0; ++i)
            if (matches(i)) return i;
        // Four hashes at a time: a lane equal to the hash becomes zero.
        constexpr uint64_t ones = 0x0001000100010001ULL, highs = 0x8000800080008000ULL;
        const uint64_t pattern = hash * ones;
        for (; i + 4 <= n; i += 4) {
            uint64_t x;
            std::memcpy(&x, h + i, 8);
            x ^= pattern;
            if (((x - ones) & ~x & highs) == 0) continue;
            for (long long j = i; j < i + 4; ++j)
                if (matches(j)) return j;
        }
        for (; i < n; ++i)
            if (matches(i)) return i;
        return -1;
    }
    // A text that is not packable can only be held outside.
    if (outside_.empty()) return -1;
    for (long long i = from; i < n; ++i) {
        if (ids_[static_cast<size_t>(i) * kIdWidth] == kOutside && IdAt(i) == id) return i;
    }
    return -1;
}

std::vector<long long> ActionIndex::FindAllIds(std::u16string_view id) const {
    std::vector<long long> found;
    for (long long p = FindId(id); p >= 0; p = FindId(id, p + 1))
        found.push_back(p);
    return found;
}

long long ActionIndex::UpperPosition(std::u16string_view start, std::u16string_view id, long long skip) const {
    // Packed texts are ASCII, whose byte order is the engine's order.
    const bool packed = IsPackable(start, kStartWidth) && IsPackable(id, kIdWidth);
    char startKey[kStartWidth], idKey[kIdWidth];
    if (packed) {
        for (size_t i = 0; i < kStartWidth; ++i)
            startKey[i] = static_cast<char>(start[i]);
        for (size_t i = 0; i < kIdWidth; ++i)
            idKey[i] = static_cast<char>(id[i]);
    }
    auto compareAt = [&](long long p) {
        std::string_view s = Slot(starts_, p, kStartWidth), i = Slot(ids_, p, kIdWidth);
        if (packed && s[0] != kOutside && i[0] != kOutside) {
            int c = std::memcmp(s.data(), startKey, kStartWidth);
            return c != 0 ? c : std::memcmp(i.data(), idKey, kIdWidth);
        }
        int c = CompareTexts(StartAt(p), start);
        return c != 0 ? c : CompareTexts(IdAt(p), id);
    };
    long long low = 0, high = count() - (skip >= 0 ? 1 : 0);
    while (low < high) {
        long long mid = low + (high - low) / 2;
        long long at = skip >= 0 && mid >= skip ? mid + 1 : mid;
        if (compareAt(at) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

static std::string IndexQuery(std::u16string_view searchCondition, bool byId) {
    std::string sql = "select f_nchActId,f_nchStaDateTime from t_UserData";
    if (byId || !searchCondition.empty()) sql.append(" where ");
    if (byId) sql.append("f_nchActId = ?");
    if (byId && !searchCondition.empty()) sql.append(" and ");
    if (!searchCondition.empty()) sql.append("(").append(ToUtf8(searchCondition)).append(")");
    // The rows of one identifier are placed one by one, in any order.
    if (byId) return sql;
    // The identifier breaks ties so that the order is the same on every rebuild.
    return sql.append(" order by f_nchStaDateTime asc, f_nchActId asc");
}

static std::u16string ColumnOrEmpty(sqlite3_stmt* stmt, int column) {
    OptText text = ColumnText(stmt, column, ColumnKind::Text);
    return text ? *text : std::u16string();
}

// The largest row number bounds the number of rows and is read from the end of
// the table at once, where counting would read all of it.
static long long RowCountBound(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    long long bound = 0;
    if (sqlite3_prepare_v2(db, "select max(rowid) from t_UserData", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        bound = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    // Row numbers left far apart (by a tool other than this program) give no bound.
    return bound > 0 && bound <= (1LL << 24) ? bound : 0;
}

HRESULT RebuildActionIndex(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition) {
    index.Clear();
    sqlite3_stmt* stmt = nullptr;
    std::string sql = IndexQuery(searchCondition, false);
    HRESULT hr = HResultFromSqlite(sqlite3_prepare_v2(table.db(), sql.c_str(), -1, &stmt, nullptr));
    if (FAILED(hr)) return hr;
    // Room for all rows and some to come, so that the arrays are not copied while
    // they fill nor at the next insert.
    if (searchCondition.empty()) {
        long long bound = RowCountBound(table.db());
        index.Reserve(bound + bound / 32);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        // Identifiers and starts are ASCII in the stored UTF-8, read without conversion.
        const char* a = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        size_t aBytes = static_cast<size_t>(sqlite3_column_bytes(stmt, 0));
        const char* b = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        size_t bBytes = static_cast<size_t>(sqlite3_column_bytes(stmt, 1));
        if (a && b) {
            index.AppendUtf8(std::string_view(a, aBytes), std::string_view(b, bBytes));
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

HRESULT RebuildActionIndexOrTell(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition,
                                 WindowHandle owner) {
    HRESULT hr = RebuildActionIndex(table, index, searchCondition);
    if (FAILED(hr))
        ShowMessage(owner,
                    FormatText("アクション一覧の読込みに失敗しました。(%x)\n"
                               "データファイルが破損している可能性があります。",
                               static_cast<unsigned>(hr)),
                    u"データファイル読込エラー", MB_OK | MB_ICONSTOP);
    return hr;
}

// The rows of the table with the identifier (and matching the search condition).
static HRESULT ReadRowsOfId(sqlite3* db, std::u16string_view id, std::u16string_view searchCondition,
                            std::vector<std::pair<std::u16string, std::u16string>>& rows) {
    sqlite3_stmt* stmt = nullptr;
    std::string sql = IndexQuery(searchCondition, true);
    HRESULT hr = HResultFromSqlite(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr));
    if (SUCCEEDED(hr)) hr = BindText(stmt, 1, std::u16string(id));
    int rc = SQLITE_DONE;
    while (SUCCEEDED(hr) && (rc = sqlite3_step(stmt)) == SQLITE_ROW)
        rows.emplace_back(ColumnOrEmpty(stmt, 0), ColumnOrEmpty(stmt, 1));
    sqlite3_finalize(stmt);
    if (SUCCEEDED(hr) && rc != SQLITE_DONE) hr = HResultFromSqlite(rc);
    return hr;
}

HRESULT RefreshIndexAfterSave(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                              std::u16string_view searchCondition) {
    std::vector<long long> held = index.FindAllIds(id);
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    HRESULT hr = ReadRowsOfId(table.db(), id, searchCondition, rows);
    if (SUCCEEDED(hr) && held.size() == 1 && rows.size() == 1) {
        // The usual save: one entry changes place, and only the entries between its
        // old and new place move (none when the start stayed).
        const auto& [rowId, start] = rows[0];
        index.MoveTo(held[0], index.UpperPosition(start, rowId, held[0]), rowId, start);
        return S_OK;
    }
    for (auto p = held.rbegin(); p != held.rend(); ++p)
        index.RemoveAt(*p);
    if (FAILED(hr)) return hr;
    for (const auto& [rowId, start] : rows)
        index.InsertAt(index.UpperPosition(start, rowId), rowId, start);
    return S_OK;
}

HRESULT RefreshIndexAfterSaveOrTell(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                                    std::u16string_view searchCondition, WindowHandle owner) {
    if (SUCCEEDED(RefreshIndexAfterSave(table, index, id, searchCondition))) return S_OK;
    // The refresh has taken the action out; only a full read gives a whole index again.
    return RebuildActionIndexOrTell(table, index, searchCondition, owner);
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
