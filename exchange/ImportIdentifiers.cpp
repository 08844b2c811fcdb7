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

TakenIdentifiers::TakenIdentifiers(UserDataTable& table, size_t expected) : table_(table) {
    HRESULT hr;
    sqlite3_stmt* stmt = table.Cached(kAny, hr);
    if (!stmt) return;
    startedEmpty_ = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_reset(stmt);
    if (!startedEmpty_) return;
    size_t words = 8; // one block
    while (words * 64 < std::min<size_t>(expected, size_t{1} << 28) * 16)
        words *= 2;
    filter_.assign(words, 0);
}

namespace {

// The block (of eight words) and the three bits of an identifier in the filter.
struct FilterBits {
    size_t block;
    unsigned bits[3];
};

FilterBits BitsOf(std::string_view id, size_t words) {
    std::uint64_t hash = std::hash<std::string_view>{}(id);
    size_t blocks = words / 8;
    return {static_cast<size_t>(hash >> 27) % blocks,
            {static_cast<unsigned>(hash & 511), static_cast<unsigned>((hash >> 9) & 511),
             static_cast<unsigned>((hash >> 18) & 511)}};
}

} // namespace

bool TakenIdentifiers::MayBeWritten(std::string_view id) const {
    FilterBits f = BitsOf(id, filter_.size());
    const std::uint64_t* block = filter_.data() + f.block * 8;
    for (unsigned bit : f.bits)
        if (!(block[bit / 64] >> (bit % 64) & 1)) return false;
    return true;
}

void TakenIdentifiers::Remember(std::string_view id) {
    FilterBits f = BitsOf(id, filter_.size());
    std::uint64_t* block = filter_.data() + f.block * 8;
    for (unsigned bit : f.bits)
        block[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

int TakenIdentifiers::Taken(std::string_view id) {
    if (allFree_) return 0;
    if (startedEmpty_ && (id > largest_ || !MayBeWritten(id))) return 0;
    return ActionIdTaken(table_, id);
}

void TakenIdentifiers::Written(std::string_view id) {
    if (!startedEmpty_) return;
    if (id > largest_) largest_.assign(id);
    Remember(id);
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
