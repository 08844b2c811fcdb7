// The data file session and the life of a data file: open, close, create, format
// check and upgrade, locating it at start-up and changing it.
#include "store/DataFileTables.h"
#include "store/SearchFunctions.h"
#include "store/UserDataIndexes.h"

#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "store/ActionIndex.h"
#include "store/DamageWatch.h"
#include "store/DataSource.h"
#include "store/RecorderState.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

std::unique_ptr<DataFileTables> g_open;

const char* const kSchema[] = {
    "DROP TABLE t_UserData",
    "CREATE TABLE t_UserData (f_nchActId NCHAR(18), f_dtLastUpdate datetime, f_nchStaDateTime NCHAR(19), "
    "f_nchEndDateTime NCHAR(19), f_fltLatitude float null, f_fltLongitude float null, f_nvcSubject "
    "NVARCHAR(100), f_nvcPlace NVARCHAR(500), f_nvcCategory1 NVARCHAR(500), f_nvcCategory2 NVARCHAR(500), "
    "f_nvcMemo NVARCHAR(2000), f_nvcExtItems NVARCHAR(2000))",
    "CREATE INDEX i_UserData on t_UserData (f_nchActId ASC)",
    "DROP TABLE t_SysInfo",
    "CREATE TABLE t_SysInfo (f_nvcItem NVARCHAR(20),  f_nvcValue NVARCHAR(500))",
    "CREATE INDEX i_SysInfo on t_SysInfo (f_nvcItem ASC)",
    "DROP TABLE t_LongData",
    "CREATE TABLE t_LongData (f_nvcItem NVARCHAR(20),  f_i4Value int)",
    "CREATE INDEX i_LongData on t_LongData (f_nvcItem ASC)",
    "DROP TABLE t_TextData",
    "CREATE TABLE t_TextData (f_nvcItem NVARCHAR(20),  f_nvcValue NVARCHAR(500))",
    "CREATE INDEX i_TextData on t_TextData (f_nvcItem ASC)",
    "DROP TABLE t_RcdrData",
    "CREATE TABLE t_RcdrData (f_i4SNo int, f_nchActId NCHAR(18))",
    "CREATE INDEX i_RcdrData on t_RcdrData (f_i4SNo ASC)",
};

// The start-order index that makes the action index rebuild and the day queries
// fast: it covers (start, identifier).
const char kStartIndex[] =
    "CREATE INDEX IF NOT EXISTS i_UserDataSta on t_UserData (f_nchStaDateTime ASC, f_nchActId ASC)";
// The identifier index as the schema makes it, for building it again after a bulk load.
const char kIdentifierIndex[] = "CREATE INDEX IF NOT EXISTS i_UserData on t_UserData (f_nchActId ASC)";

// Where a symbolic link points, made absolute from the link's folder.
std::string LinkTarget(const std::string& native) {
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(native, ec);
    if (ec) return {};
    if (target.is_relative()) target = std::filesystem::path(native).parent_path() / target;
    return target.lexically_normal().string();
}

bool IsSymbolicLink(const std::string& native) {
    struct stat st {};
    return lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Why the engine could not open or create a data file, in the user's words. (The
// engine is part of the program, so it is never missing.)
std::u16string OpenFailureCause(const std::string& native, const DataSourceOpen& open) {
    struct stat st {};
    if (stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return u"同じ名前のフォルダがあります。";
    // A link to a file that is not there (an unmounted drive, a moved folder) names
    // the place the file was expected.
    if (IsSymbolicLink(native) && stat(native.c_str(), &st) != 0 && errno == ENOENT)
        return u"リンク先 '" + FromUtf8(LinkTarget(native)) + u"' が見つかりません。";
    int err = open.systemErrno;
    switch (open.hr & 0xFF) {
    case SQLITE_NOTADB:
        return u"データファイルではありません。";
    case SQLITE_CORRUPT:
        return u"データファイルが破損しています。";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return u"他のプログラムが使用中です。";
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return u"アクセス権がありません。";
    case SQLITE_FULL:
        return u"ディスクの空き容量が不足しています。";
    default:
        break;
    }
    if (err == EACCES || err == EPERM || err == EROFS) return u"アクセス権がありません。";
    if (err == ENOSPC || err == EDQUOT) return u"ディスクの空き容量が不足しています。";
    if (err == ENOENT) return u"ファイルが見つかりません。";
    return FormatText("ファイルを開けません。(%x)", static_cast<unsigned>(open.hr));
}

void TellOpenFailure(const DataSourceOpen& open, std::u16string_view path, const char16_t* what) {
    std::string native = NativePath(path);
    ShowMessage(nullptr,
                u"データファイル '" + std::u16string(path) + u"' を" + what + u"。\n" + OpenFailureCause(native, open),
                u"データファイルオープンエラー", MB_OK | MB_ICONSTOP);
}

std::u16string NowText() {
    LocalDateTime now = LocalNow();
    return FormatDateTimeText(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

bool FileExists(std::u16string_view path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(NativePath(path), ec);
}

// A file, or a link that stands for one even when its target is missing.
bool FileOrLinkExists(std::u16string_view path) {
    return FileExists(path) || IsSymbolicLink(NativePath(path));
}

bool FolderExists(std::u16string_view path) {
    std::error_code ec;
    return std::filesystem::is_directory(NativePath(path), ec);
}

void RemoveFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

void AttachTables(DataFileTables& t) {
    t.userData = std::make_unique<UserDataTable>(t.db);
    t.longData = std::make_unique<ItemIntTable>(t.db);
    t.textData = std::make_unique<ItemTextTable>(t.db, "t_TextData", "i_TextData");
    t.sysInfo = std::make_unique<ItemTextTable>(t.db, "t_SysInfo", "i_SysInfo");
    t.rcdrData = std::make_unique<RecorderHistoryTable>(t.db);
}

HRESULT SetSysInfo(const char16_t* item, std::u16string_view value) {
    return g_open->sysInfo->SetItemText(item, std::u16string(value));
}

} // namespace

DataFileTables::~DataFileTables() {
    userData.reset();
    longData.reset();
    textData.reset();
    sysInfo.reset();
    rcdrData.reset();
    if (db) sqlite3_close_v2(db);
}

DataFileTables* OpenTables() {
    return g_open.get();
}

HRESULT ExecuteSql(sqlite3* db, std::string_view text) {
    if (!db) return E_FAIL;
    std::string sql(text);
    return HResultFromSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
}

HRESULT OpenDataFile(std::u16string_view path) {
    CloseDataFile();
    TakeDamageNote(); // damage noted before now was another file's
    DataSourceOpen open = OpenDataSource(path, DataSourceMode::ReadWrite);
    if (FAILED(open.hr)) {
        TellOpenFailure(open, path, u"開けません");
        return open.hr;
    }
    sqlite3* db = open.db;
    RegisterSearchFunctions(db);
    g_open = std::make_unique<DataFileTables>();
    g_open->db = db;
    g_open->path = std::u16string(path);
    AttachTables(*g_open);
    return S_OK;
}

void CloseDataFile() {
    g_open.reset();
}

// A failed create removes what it made, so that a later start does not find a file
// that is no data file (a full disk left an empty one).
static HRESULT FailCreate(sqlite3* db, const std::string& native, HRESULT hr) {
    if (db) sqlite3_close_v2(db);
    RemoveFile(native);
    RemoveFile(native + "-journal");
    return hr;
}

HRESULT CreateDataFile(std::u16string_view path) {
    CloseDataFile();
    TakeDamageNote();
    std::string native = NativePath(path);
    // A link is the user's (it may point at a drive not mounted now): never replaced.
    if (IsSymbolicLink(native)) {
        DataSourceOpen refused;
        refused.hr = HResultFromSqlite(SQLITE_CANTOPEN);
        refused.systemErrno = EEXIST;
        TellOpenFailure(refused, path, u"作成できません");
        return refused.hr;
    }
    RemoveFile(native);
    RemoveFile(native + "-journal");
    DataSourceOpen open = OpenDataSource(path, DataSourceMode::Create);
    if (FAILED(open.hr)) {
        TellOpenFailure(open, path, u"作成できません");
        return open.hr;
    }
    sqlite3* db = open.db;
    RegisterSearchFunctions(db);
    HRESULT hr = ExecuteSql(db, "BEGIN");
    for (size_t i = 0; i < std::size(kSchema) && SUCCEEDED(hr); ++i) {
        HRESULT step = ExecuteSql(db, kSchema[i]);
        if (std::string_view(kSchema[i]).starts_with("DROP")) continue;
        hr = step;
    }
    if (SUCCEEDED(hr)) hr = ExecuteSql(db, kStartIndex);
    if (SUCCEEDED(hr)) hr = ExecuteSql(db, "COMMIT");
    if (FAILED(hr)) return FailCreate(db, native, hr);
    g_open = std::make_unique<DataFileTables>();
    g_open->db = db;
    g_open->path = std::u16string(path);
    AttachTables(*g_open);
    if (WriteSystemInfo() != 0 || InitRecorderState() != 0) {
        // The engine's code of the write that failed passes through unchanged.
        hr = HResultFromSqlite(sqlite3_errcode(db));
        if (SUCCEEDED(hr)) hr = E_FAIL;
        g_open->db = nullptr; // closed by FailCreate
        CloseDataFile();
        return FailCreate(db, native, hr);
    }
    return S_OK;
}

int WriteSystemInfo() {
    if (!g_open) return -101;
    const std::pair<const char16_t*, std::u16string> items[] = {
        {u"ProgName", kProgName}, {u"ProgVer", kProgVer}, {u"DBFmtVer", kDBFmtVer}, {u"CreateTime", NowText()}};
    for (size_t i = 0; i < std::size(items); ++i) {
        HRESULT hr = SetSysInfo(items[i].first, items[i].second);
        if (FAILED(hr)) {
            ShowMessage(nullptr, FormatText("DBへのシステム情報設定にてエラーが発生しました。(%d)", hr),
                        u"システム情報設定エラー", MB_OK | MB_ICONSTOP);
            return -101 - static_cast<int>(i);
        }
    }
    return 0;
}

int UpgradeFormat(std::u16string_view oldVersion) {
    if (!g_open) return -3;
    // One transaction: a failed upgrade leaves the file as it was.
    if (FAILED(ExecuteSql(g_open->db, "BEGIN"))) return -3;
    int code = 0;
    if (oldVersion < std::u16string_view(u"3.1.2010.0430")) {
        if (FAILED(g_open->textData->SetItemText(u"RcdrLatitude", u"")))
            code = -8;
        else if (FAILED(g_open->textData->SetItemText(u"RcdrLongitude", u"")))
            code = -9;
    }
    // Widening the subject column is not needed: the engine does not enforce widths.
    if (code == 0 && oldVersion < std::u16string_view(u"3.1.2010.0623")) {
        if (FAILED(ExecuteSql(g_open->db, "ALTER TABLE t_UserData ADD COLUMN f_nvcExtItems nvarchar(2000)")))
            code = -10;
    }
    if (code == 0) {
        SetSysInfo(u"UpdProgVer", kProgVer);
        SetSysInfo(u"UpdateTime", NowText());
        SetSysInfo(u"DBFmtVer", kDBFmtVer);
        if (FAILED(ExecuteSql(g_open->db, "COMMIT"))) code = -3;
    }
    if (code != 0) ExecuteSql(g_open->db, "ROLLBACK");
    return code;
}

int CheckAndUpgradeFormat() {
    if (!g_open) return -2;
    OptText version;
    if (FAILED(g_open->sysInfo->GetItemText(u"DBFmtVer", version)) || !version) return -2;
    int result = 0;
    if (*version < std::u16string_view(kDBFmtVer)) {
        if (ShowMessage(nullptr,
                        u"データファイルのフォーマットが最新ではありません。\n"
                        u"処理を継続するためにはフォーマットを更新する必要があります。\n"
                        u"フォーマットを更新しますか。",
                        u"バージョン更新確認(1/2)", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return -1;
        if (ShowMessage(nullptr,
                        u"更新の前にデータファイル\n" + g_open->path +
                            u"\"をバックアップされることを推奨します。\n"
                            u"フォーマットの更新を開始してもよろしいですか。",
                        u"バージョン更新確認(2/2)", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return -1;
        if (UpgradeFormat(*version) != 0) return -3;
        ShowMessage(nullptr, u"データファイルのフォーマットを " + std::u16string(kDBFmtVer) + u" に更新しました。",
                    u"更新完了", MB_OK | MB_ICONINFORMATION);
        result = -4;
    }
    // Files made elsewhere or by older versions get the start index once they are
    // known to be current; a read-only file simply goes without it.
    ExecuteSql(g_open->db, kStartIndex);
    return result;
}

HRESULT DropUserDataIndexes(sqlite3* db) {
    HRESULT hr = ExecuteSql(db, "DROP INDEX IF EXISTS i_UserData");
    return FAILED(hr) ? hr : ExecuteSql(db, "DROP INDEX IF EXISTS i_UserDataSta");
}

HRESULT CreateUserDataIndexes(sqlite3* db) {
    HRESULT hr = ExecuteSql(db, kIdentifierIndex);
    return FAILED(hr) ? hr : ExecuteSql(db, kStartIndex);
}

int LocateOrCreateDataFile(std::u16string_view path, std::u16string& newPath, HRESULT* failure) {
    HRESULT unused;
    HRESULT& failed = failure ? *failure : unused;
    failed = S_OK;
    std::u16string folder, name;
    if (SplitPath(path, folder, name) != 0) {
        ShowMessage(nullptr, u"指定されているデータファイル名'" + std::u16string(path) + u"'が不正です。",
                    u"データファイル名不正", MB_OK | MB_ICONSTOP);
        failed = E_INVALIDARG;
        return -1;
    }
    const char16_t* caption = u"データファイル初期化確認";
    if (FolderExists(folder)) {
        if (ShowMessage(nullptr, u"データファイル '" + std::u16string(path) + u"' が見つかりません。初期化しますか。",
                        caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -2;
        if (failed = CreateDataFile(path); FAILED(failed)) return -1;
        newPath = std::u16string(path);
        return -4;
    }
    std::u16string local = ProgramFolderPath(name);
    std::u16string missing = u"データファイルを格納したフォルダ '" + folder + u"' が見つかりません。\n";
    if (FileExists(local)) {
        if (ShowMessage(nullptr,
                        missing + u"アプリケーションフォルダ下のデータファイル '" + local + u"' に変更しますか。",
                        caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -3;
        newPath = local;
        return -4;
    }
    if (ShowMessage(nullptr, missing + u"アプリケーションフォルダ下にデータファイルを作成しますか。", caption,
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return -2;
    if (failed = CreateDataFile(local); FAILED(failed)) return -1;
    newPath = local;
    return -4;
}

static int FinishChange(WindowHandle owner, DataFileContext& c) {
    if (DataFileTables* t = OpenTables()) RebuildActionIndexOrTell(*t->userData, c.index, c.searchCondition, owner);
    c.recorder.changed = false;
    c.currentActionId.clear();
    return 0;
}

static int ChangeToExisting(WindowHandle owner, std::u16string_view newPath, DataFileContext& c) {
    if (ShowMessage(owner, u"指定されたデータファイルに変更します。", u"データファイル変更確認",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return -1;
    SaveRecorderState(c.recorder, c.index);
    if (FAILED(OpenDataFile(newPath))) return -10;
    int check;
    {
        WaitCursorScope wait;
        check = CheckAndUpgradeFormat();
    }
    if (check == 0 || check == -4) {
        c.dataFile = std::u16string(newPath);
        return FinishChange(owner, c);
    }
    if (check == -2)
        ShowMessage(owner, u"データファイルの内容が不正です。\nデータファイルの変更を中止します。",
                    u"データファイル不正", MB_OK | MB_ICONSTOP);
    else if (check == -1)
        ShowMessage(owner, u"フォーマットの更新が中止されました。", u"更新中止", MB_OK | MB_ICONINFORMATION);
    else
        ShowMessage(owner, u"データファイルのフォーマット更新に失敗しました。\nデータファイルの変更を中止します。",
                    u"フォーマット更新失敗", MB_OK | MB_ICONSTOP);
    CloseDataFile();
    if (FAILED(OpenDataFile(c.dataFile))) return -10;
    return FinishChange(owner, c);
}

int ChangeDataFile(WindowHandle owner, std::u16string_view newPath, DataFileContext& c) {
    if (FileOrLinkExists(newPath)) return ChangeToExisting(owner, newPath, c);
    std::u16string folder, name;
    if (SplitPath(newPath, folder, name) != 0) {
        ShowMessage(owner, u"指定されているデータファイル名が不正です。", u"データファイル名不正", MB_OK | MB_ICONSTOP);
        return -1;
    }
    if (FolderExists(folder)) {
        if (ShowMessage(owner, u"指定されたデータファイルは存在しません。初期化しますか。", u"データファイル初期化確認",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -1;
    } else {
        if (ShowMessage(owner, u"指定されたフォルダは存在しません。作成しますか。", u"フォルダ作成確認",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -1;
        CreateFolderPath(folder);
    }
    SaveRecorderState(c.recorder, c.index);
    HRESULT hr = CreateDataFile(newPath);
    if (FAILED(hr)) {
        ShowMessage(owner, FormatText("データファイルの初期化に失敗しました。(%d)\nプログラムを終了します。", hr),
                    u"データファイル初期化失敗", MB_OK | MB_ICONSTOP);
        return -10;
    }
    c.dataFile = std::u16string(newPath);
    return FinishChange(owner, c);
}
