// The salvage run: messages, working copies, passes.
#include "salvage/SalvageRun.h"

#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "salvage/DeepRecovery.h"
#include "salvage/PageScan.h"
#include "store/DataSource.h"

#include <sqlite3.h>

#include <filesystem>

namespace {

void Tell(WindowHandle owner, std::u16string_view text, std::u16string_view caption, unsigned icon = MB_ICONSTOP) {
    ShowMessage(owner, text, caption, MB_OK | icon);
}

bool Confirmed(WindowHandle owner) {
    int answer = ShowMessage(owner,
                             u"★下記をよく読んでから実行してください。\n"
                             u"●データ取出しは実行ファイルと同じフォルダにデータファイルをコピーしてから実行します。"
                             u"充分なメモリの空き領域を確保してから実行してください。\n"
                             u"●データ取出しを実行すると異常終了することがありますがエクスポートファイルには、"
                             u"その時点までの内容が出力されています。\n\nよろしければ「はい」をタップしてください。",
                             u"実行前確認事項", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    return answer == IDYES;
}

// Whether the two paths name one file: the same path, or one file reached through a
// link or another name.
bool SameFile(std::u16string_view a, std::u16string_view b) {
    std::error_code ec;
    std::filesystem::path pa(NativePath(a)), pb(NativePath(b));
    if (pa.lexically_normal() == pb.lexically_normal()) return true;
    return std::filesystem::equivalent(pa, pb, ec) && !ec;
}

// The working copy goes whatever way the run ends, unless it is the data file itself
// (one left by a run that ended abnormally, chosen to be read): that is read in place.
class WorkingCopies {
public:
    WorkingCopies(std::u16string work, std::u16string_view dataFile)
        : work_(std::move(work)), isDataFile_(SameFile(work_, dataFile)) {}
    ~WorkingCopies() {
        if (!isDataFile_) Remove(work_);
    }
    static void Remove(const std::u16string& path) {
        std::error_code ec;
        std::filesystem::remove(NativePath(path), ec);
        std::filesystem::remove(NativePath(path) + "-journal", ec);
    }
    const std::u16string& work() const { return work_; }
    bool isDataFile() const { return isDataFile_; }

private:
    std::u16string work_;
    bool isDataFile_ = false;
};

enum class CopyEnd { Done, Busy };

// Copies the data file under the engine's read lock when the engine can take one, so
// that a write another program is making (pages already in the file, the old ones in
// its journal) is never copied half done. A file the engine cannot read (damaged, or a
// journal left by a crash that only a writer may roll back) is copied as it is; one
// whose writer does not finish within the wait is not copied at all.
CopyEnd CopyDataFile(std::u16string_view from, const std::u16string& to) {
    std::string source = NativePath(from);
    sqlite3* db = nullptr;
    bool locked = false;
    if (sqlite3_open_v2(source.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        int rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
        if (rc == SQLITE_BUSY) {
            sqlite3_close_v2(db);
            return CopyEnd::Busy;
        }
        locked = rc == SQLITE_OK;
    }
    std::error_code ec;
    std::filesystem::copy_file(source, NativePath(to), std::filesystem::copy_options::none, ec);
    if (locked) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    return CopyEnd::Done;
}

// The progress of a run: the rows of the table, then (of unknown length) the passes
// after the damage. The output moves it on as it takes rows.
class ProgressScope {
public:
    explicit ProgressScope(long long total) { CurrentProgress().Start(kProgressTitle, total); }
    ~ProgressScope() { CurrentProgress().Finish(); }
    void BeyondTheDamage() { CurrentProgress().Start(kProgressTitle, -1); }

private:
    static constexpr char16_t kProgressTitle[] = u"データ取出し";
};

long long LargestRowid(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    long long largest = -1;
    if (sqlite3_prepare_v2(db, "select max(_rowid_) from t_UserData", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) == SQLITE_INTEGER)
        largest = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return largest;
}

enum class FirstPass { Complete, Stopped, SelectFailed, WriteFailed };

// The documented loop: rows in the table's order until the end or the first row the
// engine cannot read.
FirstPass ReadTable(WindowHandle owner, sqlite3* db, SalvageOutput& output, long long& lastRowid) {
    UserDataReader reader;
    if (FAILED(reader.Open(db, "select _rowid_ as salvage_rowid, * from t_UserData", "salvage_rowid"))) {
        Tell(owner, u"データファイルへのアクセス(select)に失敗しました。", u"アクセス(select)エラー");
        return FirstPass::SelectFailed;
    }
    SalvagedRow row;
    for (;;) {
        HRESULT hr = reader.Next(row);
        if (hr == DB_S_ENDOFROWSET) return FirstPass::Complete;
        if (hr != S_OK) return FirstPass::Stopped;
        if (!output.Take(row, RowOrigin::FirstPass)) return FirstPass::WriteFailed;
        if (row.hasRowid) lastRowid = row.rowid;
    }
}

// Whether reading the pages finds any row in a file the engine cannot open (the scan
// stops at the first).
bool PagesHoldRows(const std::u16string& work) {
    return ScanPagesForRows(work, true, [](const SalvagedRow&) { return false; }).rows > 0;
}

void Export(WindowHandle owner, sqlite3* db, const std::u16string& work, SalvageOutput& output) {
    if (!output.WriteHeader()) return;
    ProgressScope progress(db ? LargestRowid(db) : -1);
    if (!db) {
        // Not readable as a database at all: only its pages can tell.
        if (ScanFileForRows(work, true, output) == PassEnd::Done) output.Close();
        return;
    }
    long long lastRowid = 0;
    FirstPass first = ReadTable(owner, db, output, lastRowid);
    if (first == FirstPass::WriteFailed) return;
    if (first != FirstPass::Complete) progress.BeyondTheDamage();
    if (first == FirstPass::Stopped && ReadRowsAfter(db, lastRowid, output) == PassEnd::WriteFailed) return;
    if (first != FirstPass::Complete) {
        // Without the table in the schema its rows can only be on free pages (a
        // dropped table); otherwise free pages hold deleted and superseded rows.
        bool keepFreePages = !HasUserDataTable(db);
        if (ScanFileForRows(work, keepFreePages, output) == PassEnd::WriteFailed) return;
    }
    output.Close();
}

// Copies the data file, opens the copy and exports it: false when that could not
// begin (message shown); true after the export, also one that ended at a failure.
bool SalvageFiles(WindowHandle owner, std::u16string_view dataFile, std::u16string_view exportFile,
                  const std::u16string& errorFile, SalvageCounts& counts) {
    std::u16string programFolder = ProgramFolder();
    if (programFolder.empty()) {
        Tell(owner, u"モジュールのパス名取得に失敗しました。", u"内部エラー");
        return false;
    }
    WorkingCopies copies(programFolder + kWorkingCopyName, dataFile);
    if (!copies.isDataFile()) WorkingCopies::Remove(copies.work());
    if (!copies.isDataFile() && CopyDataFile(dataFile, copies.work()) == CopyEnd::Busy) {
        Tell(owner, u"データファイルが他のプログラムで使用中です。\n終了を待ってからもう一度実行してください。",
             u"ファイルオープンエラー");
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(NativePath(copies.work()), ec)) {
        Tell(owner, u"指定されたデータファイルが存在しません。", u"ファイルエラー");
        Tell(owner, u"データファイルのオープンに失敗しました。", u"ファイルオープンエラー");
        return false;
    }
    // The engine takes an empty file for an empty database; it holds no data file.
    DataSourceOpen open;
    if (std::filesystem::file_size(NativePath(copies.work()), ec) > 0 && !ec)
        open = OpenDataSource(copies.work(), DataSourceMode::ReadOnly);
    else
        open.hr = E_FAIL;
    if (open.engineFailed) Tell(owner, u"SQL Server がインストールされていません。", u"環境不正", 0);
    // A file whose first page is lost no longer opens, but the page scan may still find
    // its rows; only when it finds none is the open a failure.
    if (!open.db && (open.engineFailed || !PagesHoldRows(copies.work()))) {
        Tell(owner, u"データファイルのオープンに失敗しました。", u"ファイルオープンエラー");
        return false;
    }
    SalvageOutput output(owner, std::u16string(exportFile), errorFile);
    bool opened = output.OpenExport();
    if (opened) Export(owner, open.db, copies.work(), output);
    if (open.db) sqlite3_close_v2(open.db);
    counts = output.counts();
    return opened;
}

// An export file that is the data file itself, the working copy or the error file
// would be written over what the run reads or writes: the user's file would be lost.
bool ExportNameClashes(std::u16string_view dataFile, std::u16string_view exportFile, std::u16string_view exportName) {
    if (exportName == kErrorFileName) return true;
    if (SameFile(exportFile, dataFile)) return true;
    std::u16string programFolder = ProgramFolder();
    return !programFolder.empty() && SameFile(exportFile, programFolder + kWorkingCopyName);
}

} // namespace

// The rows found past the damage may have gone to either file, so they are told as a
// part of both together.
std::u16string CompletionText(const SalvageCounts& counts) {
    return u"データ取出しが完了しました。\n" +
           FormatText("エクスポート %lld 件、ErrFLT.csv %lld 件(計 %lld 件のうち破損箇所の先から回収 %lld 件)",
                      counts.exported, counts.errors, counts.exported + counts.errors, counts.deeper);
}

SalvageResult RunSalvage(WindowHandle owner, std::u16string_view dataFile, std::u16string_view exportFile) {
    SalvageResult result;
    result.code = -1;
    if (dataFile.empty()) {
        Tell(owner, u"データファイルが未指定です。", u"データファイル未指定");
        return result;
    }
    if (exportFile.empty()) {
        Tell(owner, u"エクスポートファイルが未指定です。", u"エクスポートファイル未指定");
        return result;
    }
    if (!Confirmed(owner)) {
        Tell(owner, u"データ取出しを中止しました。", u"実行中止", MB_ICONINFORMATION);
        return result;
    }
    std::u16string exportFolder, exportName;
    if (SplitPath(exportFile, exportFolder, exportName) != 0 || exportName.empty() ||
        ExportNameClashes(dataFile, exportFile, exportName)) {
        Tell(owner, u"指定されたエクスポートファイル名が不正です。", u"データファイル不正");
        return result;
    }
    const std::u16string errorFile = exportFolder + u"/" + kErrorFileName;
    result.code = -2;
    bool completed = false;
    {
        WaitCursorScope wait;
        completed = SalvageFiles(owner, dataFile, exportFile, errorFile, result.counts);
    }
    if (!completed) return result;
    result.code = 0;
    Tell(owner, CompletionText(result.counts), u"データ取出し完了", MB_ICONINFORMATION);
    return result;
}
