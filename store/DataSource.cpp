// Opening a data file: flags, connection settings, first schema read.
#include "store/DataSource.h"

#include "core/Paths.h"

#include <sqlite3.h>

namespace {

// The connection is used by one thread alone, so it needs no lock of its own; that
// lock was taken and released for every column of every row read.
constexpr int kOneThread = SQLITE_OPEN_NOMUTEX;

int OpenFlags(DataSourceMode mode) {
    switch (mode) {
    case DataSourceMode::ReadOnly:
        return SQLITE_OPEN_READONLY | kOneThread;
    case DataSourceMode::Create:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | kOneThread;
    case DataSourceMode::ReadWrite:
        break;
    }
    return SQLITE_OPEN_READWRITE | kOneThread;
}

} // namespace

DataSourceOpen OpenDataSource(std::u16string_view path, DataSourceMode mode) {
    DataSourceOpen open;
    int rc = sqlite3_open_v2(NativePath(path).c_str(), &open.db, OpenFlags(mode), nullptr);
    if (rc != SQLITE_OK) {
        open.systemErrno = open.db ? sqlite3_system_errno(open.db) : 0;
        sqlite3_close_v2(open.db);
        open.db = nullptr;
        open.hr = HResultFromSqlite(rc);
        open.engineFailed = true;
        return open;
    }
    sqlite3_busy_timeout(open.db, 2000);
    if (mode != DataSourceMode::ReadOnly)
        sqlite3_exec(open.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (mode == DataSourceMode::Create) return open;
    // Reading the schema is the first access to the file: a file that is not a
    // database fails here.
    open.hr = HResultFromSqlite(sqlite3_exec(open.db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr));
    if (FAILED(open.hr)) {
        open.systemErrno = sqlite3_system_errno(open.db);
        sqlite3_close_v2(open.db);
        open.db = nullptr;
    }
    return open;
}
