// Inserting many actions through one statement with UTF-8 texts.
#include "store/BulkInsert.h"

#include "core/CLocale.h"
#include "core/Clock.h"
#include "core/Utf.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char kInsert[] =
    "insert into t_UserData (f_nchActId, f_dtLastUpdate, f_nchStaDateTime, f_nchEndDateTime, f_fltLatitude, "
    "f_fltLongitude, f_nvcSubject, f_nvcPlace, f_nvcCategory1, f_nvcCategory2, f_nvcMemo, f_nvcExtItems) "
    "values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";

// The UTF-8 text cut to width UTF-16 code units, never splitting a character (a
// character beyond U+FFFF is two units). A text of no more bytes than width units
// needs no cut, as no character takes fewer bytes than units.
std::string_view CutUtf8(std::string_view text, size_t width) {
    if (text.size() <= width) return text;
    size_t units = 0, at = 0;
    while (at < text.size()) {
        auto lead = static_cast<unsigned char>(text[at]);
        size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        size_t need = bytes == 4 ? 2 : 1;
        if (units + need > width) break;
        units += need;
        at = std::min(text.size(), at + bytes);
    }
    return text.substr(0, at);
}

long long SecondOfDay(const LocalDateTime& t) {
    return ((((t.year * 13LL + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

} // namespace

// Plain decimals of at most 15 digits (all usual coordinates) are an exact integer
// divided by an exact power of ten, which one division rounds correctly, as strtod
// does; anything else is left to strtod (in the C locale).
double ReadDecimalNumber(const std::string& text) {
    static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                     1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long mantissa = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9' || ++digits > 15) return StrToDoubleC(text.c_str());
        mantissa = mantissa * 10 + (c - '0');
        decimals += point;
    }
    if (digits == 0) return StrToDoubleC(text.c_str());
    double value = static_cast<double>(mantissa) / kPowers[decimals];
    return negative ? -value : value;
}

ActionBulkInsert::ActionBulkInsert(UserDataTable& table) : table_(table) {}

ActionBulkInsert::~ActionBulkInsert() {
    sqlite3_finalize(insert_);
}

HRESULT ActionBulkInsert::Prepare() {
    if (insert_) return S_OK;
    return HResultFromSqlite(
        sqlite3_prepare_v3(table_.db(), kInsert, -1, SQLITE_PREPARE_PERSISTENT, &insert_, nullptr));
}

// The local time is read at most once a millisecond (its conversion takes a lock of
// the C library), so a stamp is never more than a millisecond old.
const std::string& ActionBulkInsert::StampNow() {
    std::uint64_t tick = TickCountMs();
    if (tick == stampTick_ && !stamp_.empty()) return stamp_;
    stampTick_ = tick;
    LocalDateTime now = LocalNow();
    long long second = SecondOfDay(now);
    if (second != stampSecond_) {
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                      now.minute, now.second);
        stamp_ = text;
        stampSecond_ = second;
    }
    return stamp_;
}

HRESULT ActionBulkInsert::Insert(const ActionUtf8& action) {
    if (!action.present[ActionField::ActId]) return E_INVALIDARG;
    HRESULT hr = Prepare();
    if (FAILED(hr)) return hr;
    for (int f = 0; f < ActionField::Count; ++f) {
        auto at = static_cast<size_t>(f);
        int index = f + 1;
        int rc;
        if (f == ActionField::LastUpdate) {
            const std::string& stamp = StampNow();
            rc = sqlite3_bind_text(insert_, index, stamp.data(), static_cast<int>(stamp.size()), SQLITE_STATIC);
        } else if (!action.present[at]) {
            rc = sqlite3_bind_null(insert_, index);
        } else if (f == ActionField::Latitude || f == ActionField::Longitude) {
            number_.assign(action.text[at]);
            rc = sqlite3_bind_double(insert_, index, ReadDecimalNumber(number_));
        } else {
            std::string_view text = CutUtf8(action.text[at], static_cast<size_t>(kUserDataWidths[f]));
            rc = sqlite3_bind_text(insert_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        }
        if (rc != SQLITE_OK) return HResultFromSqlite(rc);
    }
    int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE) return HResultFromSqlite(rc);
    if (table_.KnowsLongestAction()) {
        start_ = FromUtf8(action.text[ActionField::StaDateTime]);
        end_ = FromUtf8(action.text[ActionField::EndDateTime]);
        table_.NoteActionLength(start_, end_);
    }
    return S_OK;
}
