// Opening a data file: flags, connection settings, first schema read.
#include "store/DataSource.h"

#include "core/Paths.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

// The engine retries a file it could not create as a read-only open, so a folder that
// refuses the new file (no permission, a read-only or full disk) leaves "no such file"
// as its last error. Making the file here gives the folder's own answer; a file made by
// this probe (the engine failed for another reason) is removed again at once.
int CreateFailureErrno(const std::string& native, int engineErrno) {
    struct stat st {};
    if (engineErrno != ENOENT || lstat(native.c_str(), &st) == 0) return engineErrno;
    int fd = open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    close(fd);
    unlink(native.c_str());
    return engineErrno;
}

} // namespace

DataSourceOpen OpenDataSource(std::u16string_view path, DataSourceMode mode) {
    DataSourceOpen open;
    int rc = sqlite3_open_v2(NativePath(path).c_str(), &open.db, OpenFlags(mode), nullptr);
    if (rc != SQLITE_OK) {
        open.systemErrno = open.db ? sqlite3_system_errno(open.db) : 0;
        if (mode == DataSourceMode::Create) open.systemErrno = CreateFailureErrno(NativePath(path), open.systemErrno);
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
