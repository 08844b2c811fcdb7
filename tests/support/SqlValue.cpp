// One value read back by SQL.
#include "tests/support/SqlValue.h"

#include <sqlite3.h>

std::string FirstValue(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string value = "<none>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(stmt, 0);
        value = text ? reinterpret_cast<const char*>(text) : "<null>";
    }
    sqlite3_finalize(stmt);
    return value;
}

std::string FirstValueOfFile(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string value = "<none>";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) value = FirstValue(db, sql);
    sqlite3_close(db);
    return value;
}
