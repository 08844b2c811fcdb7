// Reading t_UserData rows with per-column status, for the salvage tool.
#include "salvage/UserDataReader.h"

#include "core/DateTimeText.h"
#include "core/Utf.h"
#include "store/UserDataLayout.h"

#include <sqlite3.h>

#include <array>

namespace {

bool TimestampInRange(const Timestamp& t) {
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 &&
           t.minute <= 59 && t.second <= 59;
}

// The engine keeps LastUpdate as "YYYY-MM-DD HH:MM:SS"; anything that does not read
// as a timestamp is a failed conversion.
OptText TimestampValue(const SalvageValue& value) {
    std::u16string text;
    if (value.type != SalvageValue::Text || !DecodeUtf8Strictly(value.bytes, text)) return std::nullopt;
    Timestamp t;
    if (ParseTimestampText(text, t) != 0 || !TimestampInRange(t)) return std::nullopt;
    return FormatText("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

} // namespace

bool DecodeUtf8Strictly(std::string_view bytes, std::u16string& out) {
    out.clear();
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        unsigned c = *p;
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++p;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
        if (extra < 0 || c > 0xF4 || end - p <= extra) return false;
        unsigned code = c & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        static constexpr unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        p += extra + 1;
    }
    return true;
}

SalvageKind SalvageKindOf(const char* name) {
    std::string_view n(name);
    if (n.starts_with("f_i4")) return SalvageKind::Int;
    if (n.starts_with("f_flt")) return SalvageKind::Float;
    if (n.starts_with("f_dt")) return SalvageKind::Timestamp;
    return SalvageKind::Text;
}

OptText ConvertSalvageValue(const SalvageValue& value, SalvageKind kind) {
    switch (kind) {
    case SalvageKind::Int:
        if (value.type != SalvageValue::Integer) return std::nullopt;
        return FormatText("%d", static_cast<int>(value.integer));
    case SalvageKind::Float:
        if (value.type == SalvageValue::Float) return FormatText("%f", value.real);
        if (value.type == SalvageValue::Integer) return FormatText("%f", static_cast<double>(value.integer));
        return std::nullopt;
    case SalvageKind::Timestamp:
        return TimestampValue(value);
    case SalvageKind::Text:
        break;
    }
    switch (value.type) {
    case SalvageValue::Text: {
        std::u16string text;
        if (!DecodeUtf8Strictly(value.bytes, text)) return std::nullopt;
        return text;
    }
    case SalvageValue::Integer:
        return FormatText("%lld", value.integer);
    case SalvageValue::Float:
        return FormatText("%.15g", value.real);
    case SalvageValue::Null:
    case SalvageValue::Blob: // bytes are no text
        break;
    }
    return std::nullopt;
}

OptText ReadSalvageColumn(sqlite3_stmt* stmt, int column, SalvageKind kind) {
    SalvageValue value;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
        value.type = SalvageValue::Integer;
        value.integer = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        value.type = SalvageValue::Float;
        value.real = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_BLOB:
        value.type = SalvageValue::Blob;
        break;
    default: {
        value.type = SalvageValue::Text;
        const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        if (!bytes) return std::nullopt;
        value.bytes = std::string_view(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        break;
    }
    }
    return ConvertSalvageValue(value, kind);
}

UserDataReader::~UserDataReader() {
    Close();
}

void UserDataReader::Close() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

HRESULT UserDataReader::Open(sqlite3* db, const std::string& sql, const char* rowidName,
                             const char* const* columnNames) {
    Close();
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        Close();
        return HResultFromSqlite(rc);
    }
    const char* const* names = columnNames ? columnNames : kUserDataColumns;
    const int columns = sqlite3_column_count(stmt_);
    rowidOrdinal_ = -1;
    for (int f = 0; f < ActionField::Count; ++f) {
        ordinals_[f] = -1;
        for (int c = 0; c < columns && ordinals_[f] < 0; ++c) {
            if (sqlite3_stricmp(sqlite3_column_name(stmt_, c), names[f]) == 0) ordinals_[f] = c;
        }
        if (ordinals_[f] < 0) {
            Close();
            return E_FAIL;
        }
    }
    for (int c = 0; rowidName && c < columns && rowidOrdinal_ < 0; ++c) {
        if (sqlite3_stricmp(sqlite3_column_name(stmt_, c), rowidName) == 0) rowidOrdinal_ = c;
    }
    return S_OK;
}

HRESULT UserDataReader::BindRange(long long lo, long long hi) {
    if (!stmt_) return E_FAIL;
    sqlite3_reset(stmt_);
    int rc = sqlite3_bind_int64(stmt_, 1, lo);
    if (rc == SQLITE_OK) rc = sqlite3_bind_int64(stmt_, 2, hi);
    return HResultFromSqlite(rc);
}

HRESULT UserDataReader::Next(SalvagedRow& row) {
    if (!stmt_) return E_FAIL;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) return DB_S_ENDOFROWSET;
    if (rc != SQLITE_ROW) {
        // Resetting reports the failure again; the statement stays usable for new bindings.
        sqlite3_reset(stmt_);
        return HResultFromSqlite(rc);
    }
    static const auto kinds = [] {
        std::array<SalvageKind, ActionField::Count> k{};
        for (int f = 0; f < ActionField::Count; ++f)
            k[static_cast<size_t>(f)] = SalvageKindOf(kUserDataColumns[f]);
        return k;
    }();
    for (int f = 0; f < ActionField::Count; ++f)
        row.record[f] = ReadSalvageColumn(stmt_, ordinals_[f], kinds[static_cast<size_t>(f)]);
    row.hasRowid = rowidOrdinal_ >= 0 && sqlite3_column_type(stmt_, rowidOrdinal_) == SQLITE_INTEGER;
    row.rowid = row.hasRowid ? sqlite3_column_int64(stmt_, rowidOrdinal_) : 0;
    return S_OK;
}
