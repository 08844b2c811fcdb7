// Identifiers for add-mode imports: a random draw, then a walk onward.
#include "exchange/ImportIdentifiers.h"

#include "core/ActionId.h"
#include "core/DateValue.h"
#include "core/Utf.h"
#include "store/SqlText.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

namespace {

const char kExists[] = "select 1 from t_UserData where f_nchActId = ? limit 1";
const char kAny[] = "select 1 from t_UserData limit 1";
// Far more identifiers than any file holds: a walk that long means the table is unusable.
constexpr long long kMaxWalk = 100'000'000;

bool ReadNumber(const std::u16string& text, size_t at, size_t length, int& value) {
    value = 0;
    for (size_t i = at; i < at + length; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        value = value * 10 + (text[i] - u'0');
    }
    return true;
}

} // namespace

std::u16string FollowingActionId(const std::u16string& id) {
    int y, mo, d, h, mi, s, n;
    if (id.size() != kActionIdLength || id.compare(0, 2, u"ID") != 0 || !ReadNumber(id, 2, 4, y) ||
        !ReadNumber(id, 6, 2, mo) || !ReadNumber(id, 8, 2, d) || !ReadNumber(id, 10, 2, h) ||
        !ReadNumber(id, 12, 2, mi) || !ReadNumber(id, 14, 2, s) || !ReadNumber(id, 16, 2, n))
        return {};
    if (n < 99) return FormatActionId(y, mo, d, h, mi, s, n + 1);
    DateValue next = DateValue::FromFields(y, mo, d, h, mi, s) + DateSpan::FromParts(0, 0, 0, 1);
    if (!next.ToFields(y, mo, d, h, mi, s)) return {};
    return FormatActionId(y, mo, d, h, mi, s, 0);
}

int ActionIdTaken(UserDataTable& table, std::string_view id) {
    HRESULT hr;
    sqlite3_stmt* stmt = table.Cached(kExists, hr);
    if (!stmt || sqlite3_bind_text(stmt, 1, id.data(), static_cast<int>(id.size()), SQLITE_STATIC) != SQLITE_OK)
        return -1;
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc == SQLITE_ROW) return 1;
    return rc == SQLITE_DONE ? 0 : -1;
}

TakenIdentifiers::TakenIdentifiers(UserDataTable& table) : table_(table) {
    HRESULT hr;
    sqlite3_stmt* stmt = table.Cached(kAny, hr);
    if (!stmt) return;
    startedEmpty_ = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_reset(stmt);
}

namespace {

std::uint64_t HashOf(std::string_view id) {
    std::uint64_t hash = std::hash<std::string_view>{}(id);
    return hash ? hash : 1; // 0 marks an empty slot
}

} // namespace

bool TakenIdentifiers::MayBeWritten(std::uint64_t hash) const {
    if (hashes_.empty()) return false;
    size_t mask = hashes_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        if (hashes_[slot] == hash) return true;
        if (hashes_[slot] == 0) return false;
    }
}

void TakenIdentifiers::Remember(std::uint64_t hash) {
    if ((count_ + 1) * 2 > hashes_.size()) {
        std::vector<std::uint64_t> old = std::move(hashes_);
        hashes_.assign(std::max<size_t>(1024, old.size() * 2), 0);
        count_ = 0;
        for (std::uint64_t h : old)
            if (h) Remember(h);
    }
    size_t mask = hashes_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        if (hashes_[slot] == hash) return;
        if (hashes_[slot] == 0) {
            hashes_[slot] = hash;
            ++count_;
            return;
        }
    }
}

int TakenIdentifiers::Taken(std::string_view id) {
    if (startedEmpty_ && (id > largest_ || !MayBeWritten(HashOf(id)))) return 0;
    return ActionIdTaken(table_, id);
}

void TakenIdentifiers::Written(std::string_view id) {
    if (!startedEmpty_) return;
    if (id > largest_) largest_.assign(id);
    Remember(HashOf(id));
}

std::optional<std::u16string> ImportIdentifiers::Next() {
    std::optional<std::u16string> drawn = MakeActionId();
    if (!drawn) return std::nullopt;
    std::u16string id = last_;
    // A draw later than everything given so far may be free; earlier ones are not
    // tried, the walk has passed them.
    if (last_.empty() || *drawn > last_) {
        int taken = taken_.Taken(ToUtf8(*drawn));
        if (taken < 0) return std::nullopt;
        if (taken == 0) return last_ = *drawn;
        id = *drawn;
    }
    for (long long step = 0; step < kMaxWalk; ++step) {
        id = FollowingActionId(id);
        if (id.empty()) return std::nullopt;
        int taken = taken_.Taken(ToUtf8(id));
        if (taken < 0) return std::nullopt;
        if (taken == 0) return last_ = id;
    }
    return std::nullopt;
}
