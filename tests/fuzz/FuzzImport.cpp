// Arbitrary bytes as an exchange file. The first byte picks the mode (bit 0: with a
// data file), the layout (bits 1-2: Ver.1, Ver.2, Ver.3) and the import mode (bit 3:
// replace); the rest is the file, read as CP932 through iconv like any import.
// Without a data file the lines are read and checked only: every row taken must pass
// the checks again after being written out. With one, the rows are imported into a
// real SQLite data file made once per process: a refused file writes nothing, an add
// writes exactly the rows read, and the action index always equals the table. Each
// mode's executions are printed at exit.
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ImportActions.h"
#include "exchange/ImportReading.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "tests/fuzz/FuzzFolder.h"
#include "tests/support/ScriptedMessages.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

long long runs[2];

void PrintRuns() {
    std::fprintf(stderr, "import runs: read only %lld, with data file %lld\n", runs[0], runs[1]);
}

const std::string& Folder() {
    static const std::string folder = MakeFuzzFolder("import");
    return folder;
}

std::string WriteInput(const std::uint8_t* data, std::size_t size) {
    std::string path = Folder() + "/import.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) __builtin_trap();
    return path;
}

long long Scalar(const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(OpenTables()->db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

ReadOutcome ReadOnly(const std::string& path, ExchangeLayout layout, PendingRows& rows) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) __builtin_trap();
    ReadOutcome outcome = ReadImportLines(file, path, layout, rows);
    std::fclose(file);
    return outcome;
}

// Every taken row is one the layout can write and read back unchanged.
void CheckRead(const std::string& path, ExchangeLayout layout) {
    PendingRows rows;
    ReadOutcome read = ReadOnly(path, layout, rows);
    if (read.result == ImportResult::LineRefused) {
        if (read.failedLine < 1 || read.check || LineFaultMessage(read.failedLine, read.check).empty())
            __builtin_trap();
        return;
    }
    if (read.result != ImportResult::Done) __builtin_trap();
    for (size_t i = 0; i < rows.size(); ++i) {
        ActionRecord row = rows.At(i);
        ActionRecord again;
        if (!ParseExchangeLine(layout, FormatExchangeLine(layout, row), again) || !(again == row)) __builtin_trap();
    }
}

// The data file, made on first use; emptied when it grows, so every run stays fast.
void OpenData() {
    if (OpenTables()) {
        if (Scalar("select count(*) from t_UserData") > 2000 &&
            ExecuteSql(OpenTables()->db, "delete from t_UserData") != S_OK)
            __builtin_trap();
        return;
    }
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SeedRandom(5);
    SetProgramFolder(FromUtf8(Folder() + "/"));
    if (CreateDataFile(FromUtf8(Folder() + "/user.sdf")) != S_OK) __builtin_trap();
    // Durability is not what is fuzzed here; without syncs a run takes microseconds.
    ExecuteSql(OpenTables()->db, "PRAGMA synchronous = OFF");
}

void CheckImport(const std::string& path, ExchangeLayout layout, ImportMode mode) {
    static ActionIndex index;
    OpenData();
    UserDataTable& table = *OpenTables()->userData;
    if (RebuildActionIndex(table, index) != S_OK) __builtin_trap();
    PendingRows rows;
    ReadOutcome read = ReadOnly(path, layout, rows);
    long long before = Scalar("select count(*) from t_UserData");
    ScriptedMessages messages;
    int result = ImportActions(ExchangeTarget{table, index}, FromUtf8(path), layout, mode);
    long long after = Scalar("select count(*) from t_UserData");
    // The import reads the file as the plain reader does.
    if ((result == ImportResult::LineRefused) != (read.result == ImportResult::LineRefused)) __builtin_trap();
    if (result == ImportResult::LineRefused && (after != before || messages.count() != 1)) __builtin_trap();
    if (result == ImportResult::Done) {
        bool adds = mode == ImportMode::Add || !LayoutHasIdentifiers(layout);
        if (adds ? after != before + static_cast<long long>(rows.size())
                 : after < before || after > before + static_cast<long long>(rows.size()))
            __builtin_trap();
        if (messages.count() != 0) __builtin_trap();
    } else if (result != ImportResult::LineRefused) {
        __builtin_trap(); // no write may fail on a healthy data file
    }
    if (index.count() != after) __builtin_trap();
    static long long checks = 0;
    if (++checks % 500 == 0 && Scalar("select count(*) from pragma_integrity_check where integrity_check <> 'ok'") != 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool registered = (std::atexit(PrintRuns), true);
    (void)registered;
    if (size == 0) return 0;
    ExchangeLayout layout = static_cast<ExchangeLayout>(1 + (data[0] >> 1 & 3) % 3);
    ImportMode mode = data[0] & 8 ? ImportMode::Replace : ImportMode::Add;
    std::string path = WriteInput(data + 1, size - 1);
    if (data[0] & 1)
        ++runs[1], CheckImport(path, layout, mode);
    else
        ++runs[0], CheckRead(path, layout);
    return 0;
}
