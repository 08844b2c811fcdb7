// Parameter binding and column reading shared by every table object.
#include "store/SqlText.h"

#include "core/DateTimeText.h"
#include "core/Utf.h"

#include <sqlite3.h>

HRESULT BindText(sqlite3_stmt* stmt, int index, const OptText& text) {
    int rc = text ? sqlite3_bind_text16(stmt, index, text->data(), static_cast<int>(text->size() * 2), SQLITE_TRANSIENT)
                  : sqlite3_bind_null(stmt, index);
    return HResultFromSqlite(rc);
}

HRESULT BindTexts(sqlite3_stmt* stmt, const std::vector<OptText>& texts) {
    if (static_cast<int>(texts.size()) > sqlite3_bind_parameter_count(stmt)) return E_INVALIDARG;
    for (size_t i = 0; i < texts.size(); ++i) {
        HRESULT hr = BindText(stmt, static_cast<int>(i) + 1, texts[i]);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

static std::u16string TimestampFromEngine(std::u16string text) {
    // Stored "YYYY-MM-DD HH:MM:SS", shown "yyyy/mm/dd hh:mm:ss".
    for (size_t i = 0; i < text.size() && i < 10; ++i) {
        if (text[i] == u'-' && i > 0) text[i] = u'/';
    }
    return text;
}

OptText ColumnText(sqlite3_stmt* stmt, int column, ColumnKind kind) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    switch (kind) {
    case ColumnKind::Int:
        return FormatText("%d", sqlite3_column_int(stmt, column));
    case ColumnKind::Float:
        return FormatText("%f", sqlite3_column_double(stmt, column));
    case ColumnKind::Text:
    case ColumnKind::Timestamp:
        break;
    }
    const void* data = sqlite3_column_text16(stmt, column);
    int bytes = sqlite3_column_bytes16(stmt, column);
    std::u16string text(static_cast<const char16_t*>(data), static_cast<size_t>(bytes) / 2);
    return kind == ColumnKind::Timestamp ? TimestampFromEngine(std::move(text)) : text;
}

std::u16string CutToWidth(std::u16string_view text, size_t width) {
    if (text.size() <= width) return std::u16string(text);
    size_t cut = width;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
    return std::u16string(text.substr(0, cut));
}

OptText TimestampToEngine(std::u16string_view text) {
    Timestamp t;
    if (ParseTimestampText(text, t) != 0) return std::nullopt;
    return FormatText("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}
