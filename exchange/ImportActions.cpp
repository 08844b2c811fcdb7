// Reading an exchange file into the data file: every line is read and checked first,
// then the rows are written in batched transactions.
#include "exchange/ImportActions.h"

#include "core/Paths.h"
#include "core/Progress.h"
#include "core/TextLines.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "exchange/ImportIdentifiers.h"
#include "exchange/ImportReading.h"
#include "exchange/PendingRows.h"
#include "store/ActionIndex.h"
#include "store/BulkInsert.h"
#include "store/DataFileTables.h"
#include "store/UserDataIndexes.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr long long kProgressRows = 1000;
const char16_t kStopCaption[] = u"インポート中止";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForReading(const ExchangeTarget& target, std::u16string_view name, ImportMode mode) {
    FilePtr file(std::fopen(NativePath(name).c_str(), "rb"));
    if (!file) {
        // The two modes have always worded this differently; kept as users know it.
        std::u16string text = mode == ImportMode::Add ? u"ファイル " + std::u16string(name) + u" のオープン"
                                                      : u"ファイル" + std::u16string(name) + u"のオープン";
        ShowMessage(target.owner, text + u"に失敗しました。ファイル名を見直してください。", u"オープンエラー",
                    MB_OK | MB_ICONSTOP);
    } else {
        std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
    }
    return file;
}

// The batched transaction the rows are written in. It takes the write lock when it
// begins, waiting out another program's write: a transaction that had read first could
// only fail at its first row when another writer was busy.
class WriteBatch {
public:
    explicit WriteBatch(sqlite3* db) : db_(db) {}
    HRESULT Begin() { return ExecuteSql(db_, "BEGIN IMMEDIATE"); }
    // Commits what was written and opens the next batch.
    HRESULT Next() {
        HRESULT hr = Commit();
        return FAILED(hr) ? hr : Begin();
    }
    // Keeps what was written. A commit the engine refuses leaves the transaction
    // open; it is rolled back so that the data file stays usable.
    HRESULT Commit() {
        if (sqlite3_get_autocommit(db_)) return S_OK; // the engine already ended it
        HRESULT hr = ExecuteSql(db_, "COMMIT");
        if (FAILED(hr) && !sqlite3_get_autocommit(db_)) ExecuteSql(db_, "ROLLBACK");
        return hr;
    }

private:
    sqlite3* db_;
};

void TellWriteFailure(const ExchangeTarget& target, ImportMode mode, HRESULT hr) {
    const char* format = mode == ImportMode::Add ? "レコード作成エラー(%x)\nインポートを中止します。"
                                                 : "レコード更新エラー(%x)\nインポートを中止します。";
    ShowMessage(target.owner, FormatText(format, static_cast<unsigned>(hr)), kStopCaption, MB_OK | MB_ICONSTOP);
}

// What the rows of one import are written with.
struct RowWriter {
    RowWriter(const ExchangeTarget& target, size_t rows)
        : target(target), taken(target.table, rows), ids(taken), insert(target.table) {}
    const ExchangeTarget& target;
    TakenIdentifiers taken;
    ImportIdentifiers ids;
    ActionBulkInsert insert;
    ActionUtf8 texts;
    std::string newId; // add mode: the identifier given to the row
};

HRESULT InsertRow(RowWriter& writer) {
    HRESULT hr = writer.insert.Insert(writer.texts);
    if (SUCCEEDED(hr)) writer.taken.Written(writer.texts.text[ActionField::ActId]);
    return hr;
}

// Add mode: a new identifier for every row; the file's identifier is not used.
int AddRow(RowWriter& writer) {
    std::optional<std::u16string> id = writer.ids.Next();
    if (!id) {
        ShowMessage(writer.target.owner, u"ユニークキーの生成に失敗しました。\nインポートを中止します。", kStopCaption,
                    MB_OKCANCEL | MB_ICONSTOP);
        return ImportResult::NoUniqueKey;
    }
    writer.newId = ToUtf8(*id);
    writer.texts.text[ActionField::ActId] = writer.newId;
    writer.texts.present[ActionField::ActId] = true;
    HRESULT hr = InsertRow(writer);
    if (FAILED(hr)) {
        TellWriteFailure(writer.target, ImportMode::Add, hr);
        return ImportResult::WriteFailed;
    }
    return ImportResult::Done;
}

// Replace mode: the action with the row's identifier is rewritten, or the row is
// inserted under that identifier when there is none. The identifier is a bound
// parameter, so whatever characters it holds it is only data.
int ReplaceRow(RowWriter& writer, const PendingRows& rows, size_t at) {
    int taken = writer.taken.Taken(writer.texts.text[ActionField::ActId]);
    HRESULT hr = E_FAIL;
    if (taken == 0) {
        hr = InsertRow(writer);
    } else if (taken > 0) {
        ActionRecord record = rows.At(at);
        hr = writer.target.table.UpdateAction(record);
    }
    if (FAILED(hr)) {
        TellWriteFailure(writer.target, ImportMode::Replace, hr);
        return ImportResult::WriteFailed;
    }
    return ImportResult::Done;
}

int WriteRow(RowWriter& writer, const PendingRows& rows, size_t at, ImportMode mode) {
    try {
        rows.ViewAt(at, writer.texts);
        return mode == ImportMode::Add ? AddRow(writer) : ReplaceRow(writer, rows, at);
    } catch (const std::bad_alloc&) {
        TellWriteFailure(writer.target, mode, E_OUTOFMEMORY);
        return ImportResult::WriteFailed;
    }
}

// The engine's page cache while an import writes: the identifier and start indexes
// take inserts all over, and once their pages no longer fit the default 2 MB cache
// every insert re-reads and rewrites index pages. Given back when the import ends.
class ImportCacheSize {
public:
    ImportCacheSize(sqlite3* db, long long kibibytes) : db_(db) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA cache_size", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            previous_ = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        Set(-kibibytes);
    }
    ~ImportCacheSize() { Set(previous_); }
    ImportCacheSize(const ImportCacheSize&) = delete;
    ImportCacheSize& operator=(const ImportCacheSize&) = delete;

private:
    void Set(long long value) {
        std::string pragma = "PRAGMA cache_size = " + std::to_string(value);
        sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3* db_;
    long long previous_ = -2000;
};

// Whether no two rows carry the same identifier (a repeated one, or two whose hashes
// meet, answers false).
bool IdentifiersDistinct(const PendingRows& rows) {
    std::vector<std::uint64_t> hashes;
    hashes.reserve(rows.size());
    ActionUtf8 texts;
    for (size_t i = 0; i < rows.size(); ++i) {
        rows.ViewAt(i, texts);
        hashes.push_back(std::hash<std::string_view>{}(texts.text[ActionField::ActId]));
    }
    std::sort(hashes.begin(), hashes.end());
    return std::adjacent_find(hashes.begin(), hashes.end()) == hashes.end();
}

// An import into an empty table that will never ask for an identifier (add mode
// gives ever larger identifiers, which are free at once; replace mode with distinct
// identifiers only inserts) writes the rows without the table's two indexes and
// makes them again by sorting before the commit: that costs far less than putting
// every row into both indexes as it comes. It is all one transaction, so a kill
// leaves the file as it was, indexes included. Batches would commit a table without
// its indexes, so a batched import keeps them.
bool DefersIndexes(RowWriter& writer, const PendingRows& rows, ImportMode mode, const ImportTuning& tuning) {
    if (tuning.batchRows != SIZE_MAX || !writer.taken.StartedEmpty()) return false;
    if (mode == ImportMode::Add) return true;
    try {
        if (!IdentifiersDistinct(rows)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    writer.taken.AllFree(); // without the identifier index a lookup would read the whole table
    return true;
}

// Makes the deferred indexes again while the transaction is open; a failure rolls
// the import back (the file keeps what it held before) and is told unless a failed
// row has been told already.
int RestoreIndexes(const ExchangeTarget& target, ImportMode mode, int result) {
    sqlite3* db = target.table.db();
    if (sqlite3_get_autocommit(db)) return result; // the engine rolled back, indexes included
    HRESULT hr = CreateUserDataIndexes(db);
    if (SUCCEEDED(hr)) return result;
    if (!sqlite3_get_autocommit(db)) ExecuteSql(db, "ROLLBACK");
    if (result == ImportResult::Done) TellWriteFailure(target, mode, hr);
    return ImportResult::WriteFailed;
}

int WriteAllRows(const ExchangeTarget& target, const PendingRows& rows, ImportMode mode, const ImportTuning& tuning) {
    size_t batchRows = tuning.batchRows > 0 ? tuning.batchRows : 1;
    ImportCacheSize cache(target.table.db(), tuning.cacheKibibytes);
    WriteBatch batch(target.table.db());
    HRESULT hr = batch.Begin();
    if (FAILED(hr)) {
        TellWriteFailure(target, mode, hr);
        return ImportResult::WriteFailed;
    }
    ProgressSink& progress = CurrentProgress();
    progress.Start(u"書込み中", static_cast<std::int64_t>(rows.size()));
    RowWriter writer(target, rows.size());
    int result = ImportResult::Done;
    // Should the engine refuse the drop (a query still reading the table), the rows
    // go into whatever indexes are left, and the end makes any missing one again.
    bool deferred = DefersIndexes(writer, rows, mode, tuning);
    if (deferred) DropUserDataIndexes(target.table.db());
    for (size_t i = 0; i < rows.size() && result == ImportResult::Done; ++i) {
        if (i % kProgressRows == 0) progress.Step(static_cast<std::int64_t>(i));
        result = WriteRow(writer, rows, i, mode);
        if (result == ImportResult::Done && (i + 1) % batchRows == 0 && FAILED(hr = batch.Next())) {
            TellWriteFailure(target, mode, hr);
            result = ImportResult::WriteFailed;
        }
    }
    if (deferred) result = RestoreIndexes(target, mode, result);
    hr = batch.Commit();
    if (result == ImportResult::Done && FAILED(hr)) {
        TellWriteFailure(target, mode, hr);
        result = ImportResult::WriteFailed;
    }
    progress.Finish();
    return result;
}

int ReadAndWrite(const ExchangeTarget& target, std::FILE* file, std::u16string_view fileName, ExchangeLayout layout,
                 ImportMode mode, const ImportTuning& tuning) {
    PendingRows rows;
    ProgressSink& progress = CurrentProgress();
    progress.Start(u"読込み・チェック中", -1);
    ReadOutcome read = ReadImportLines(file, NativePath(fileName), layout, rows);
    progress.Finish();
    int result = read.result;
    if (result == ImportResult::LineRefused)
        ShowMessage(target.owner, LineFaultMessage(read.failedLine, read.check), kStopCaption, MB_OK | MB_ICONSTOP);
    if (result != ImportResult::Done || rows.empty()) return result;
    result = WriteAllRows(target, rows, mode, tuning);
    // The views must show exactly what the data file now holds, also after a failure;
    // an index that could not be read whole is no completed import.
    if (FAILED(RebuildActionIndexOrTell(target.table, target.index, target.searchCondition, target.owner)) &&
        result == ImportResult::Done)
        result = ImportResult::IndexFailed;
    return result;
}

} // namespace

int ImportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout, ImportMode mode,
                  const ImportTuning& tuning) {
    if (!LayoutHasIdentifiers(layout)) mode = ImportMode::Add;
    FilePtr file = OpenForReading(target, fileName, mode);
    if (!file) return ImportResult::OpenFailed;
    return ReadAndWrite(target, file.get(), fileName, layout, mode, tuning);
}

int RunImportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout,
                     ImportMode mode) {
    struct stat info;
    if (stat(NativePath(fileName).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        ShowMessage(target.owner,
                    u"指定されたファイル" + std::u16string(fileName) +
                        u"が存在しません。ファイル名を見直してください。",
                    u"ファイル名不正", MB_OK | MB_ICONSTOP);
        return ImportResult::NoSuchFile;
    }
    int result = ImportActions(target, fileName, layout, mode);
    if (result == ImportResult::Done)
        ShowMessage(target.owner, u"インポートが完了しました。", u"インポート完了", MB_OK | MB_ICONINFORMATION);
    else
        ShowMessage(target.owner, u"インポートに失敗しました。", u"インポート失敗", MB_OK | MB_ICONSTOP);
    return result;
}
