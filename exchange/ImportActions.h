// Import: reads a whole exchange file, checks every line, and only then writes the
// actions, adding them under new identifiers or replacing actions by identifier.
#pragma once

#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeTarget.h"

#include <cstdint>
#include <string_view>

enum class ImportMode : int { Add = 1, Replace = 2 };

// Results of ImportActions (every failure is told to the user inside, except a read
// error and exhausted memory, which the front end reports as a failed import).
namespace ImportResult {
enum : int {
    Done = 0,
    OpenFailed = -1,
    LineRefused = -2, // a line failed its checks; nothing was written
    ReadFailed = -3,  // the file could not be read to its end; nothing was written
    OutOfMemory = -4, // the file does not fit in memory; nothing was written
    NoUniqueKey = -5, // add mode could not make an identifier; earlier rows stay
    WriteFailed = -6, // a row could not be written; earlier rows stay
    NoSuchFile = -7,  // (front end) the file does not exist or is a folder
    IndexFailed = -8, // the rows were written but the action index could not be read again
};
}

struct ImportTuning {
    // Rows written per transaction; every batch is committed as it fills, and what a
    // failing batch wrote before the failure is committed too. By default the whole
    // import is one transaction: a kill leaves the data file as it was before it.
    size_t batchRows = SIZE_MAX;
    // The engine's page cache while the rows are written, in KiB.
    long long cacheKibibytes = 64 * 1024;
};

// Ver.1 is always added (it carries no identifiers). The action index is rebuilt
// once writing has begun, also after a write failure.
int ImportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout, ImportMode mode,
                  const ImportTuning& tuning = {});

// The import as the import/export dialog runs it: the file must exist and not be a
// folder ("指定されたファイル…が存在しません。…", NoSuchFile without import), then
// ImportActions and "インポートが完了しました。" or "インポートに失敗しました。".
int RunImportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout,
                     ImportMode mode);
