// nulmark(): texts with their NULs made visible to LIKE.
#include "store/SearchFunctions.h"

#include <sqlite3.h>

#include <string>

namespace {

void NulMark(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    int bytes = sqlite3_value_bytes(argv[0]);
    if (!text) return sqlite3_result_error_nomem(context);
    std::string out;
    out.reserve(static_cast<size_t>(bytes));
    for (int i = 0; i < bytes; ++i) {
        if (text[i] == '\0')
            out += "\xEF\xBF\xBF";
        else
            out += text[i];
    }
    sqlite3_result_text(context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

} // namespace

void RegisterSearchFunctions(sqlite3* db) {
    sqlite3_create_function(db, "nulmark", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, NulMark,
                            nullptr, nullptr);
}
