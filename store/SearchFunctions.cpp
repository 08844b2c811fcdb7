// nulmark(): texts with their NULs made visible to LIKE; like(): LIKE over the whole
// stored text.
#include "store/SearchFunctions.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace {

std::string Marked(const char* text, int bytes) {
    std::string out;
    out.reserve(static_cast<size_t>(bytes));
    for (int i = 0; i < bytes; ++i) {
        if (text[i] == '\0')
            out += "\xEF\xBF\xBF";
        else
            out += text[i];
    }
    return out;
}

void NulMark(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    int bytes = sqlite3_value_bytes(argv[0]);
    if (!text) return sqlite3_result_error_nomem(context);
    std::string out = Marked(text, bytes);
    sqlite3_result_text(context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// "V like P" is like(P, V). The engine's own LIKE ends a text at its first NUL, so a
// search never saw what followed a NUL that an import brought into a field. A text
// with NULs is matched with them marked as nulmark() marks them (so a search text
// holding a NUL, which the condition marks the same way, still finds it); any other
// text exactly as the engine's LIKE does, through its own sqlite3_strlike.
void WholeTextLike(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    const char* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    int bytes = sqlite3_value_bytes(argv[1]);
    if (!pattern || !text) return sqlite3_result_error_nomem(context);
    if (std::memchr(text, '\0', static_cast<size_t>(bytes)) == nullptr)
        return sqlite3_result_int(context, sqlite3_strlike(pattern, text, 0) == 0);
    std::string marked = Marked(text, bytes);
    sqlite3_result_int(context, sqlite3_strlike(pattern, marked.c_str(), 0) == 0);
}

} // namespace

void RegisterSearchFunctions(sqlite3* db) {
    sqlite3_create_function(db, "nulmark", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, NulMark,
                            nullptr, nullptr);
    sqlite3_create_function(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                            WholeTextLike, nullptr, nullptr);
}
