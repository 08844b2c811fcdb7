// Opening a data file through the engine, the same way in both programs: the open
// flags, the connection settings and the first read of the schema, which is where a
// file that is not a database shows itself.
#pragma once

#include "core/ResultCodes.h"

#include <string_view>

struct sqlite3;

enum class DataSourceMode { ReadWrite, ReadOnly, Create };

struct DataSourceOpen {
    sqlite3* db = nullptr; // the connection; null after a failure
    HRESULT hr = S_OK;
    bool engineFailed = false; // the engine could not open the file at all
    int systemErrno = 0;       // the system's error number of a failed open or read (0: none)
};

// Opens path; on failure nothing stays open. Create makes the file when missing
// (the schema is the caller's); the other modes need an existing file and read the
// schema once.
DataSourceOpen OpenDataSource(std::u16string_view path, DataSourceMode mode);
