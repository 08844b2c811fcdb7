// CMainApp: settings loading, opening the data file at start-up and shutdown.
#include "app/MainApp.h"

#include "core/Clock.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "gps/PositionSource.h"
#include "store/DamageWatch.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

CMainApp* g_app = nullptr;

bool PathExists(std::u16string_view path) {
    struct stat st {};
    return stat(NativePath(path).c_str(), &st) == 0;
}

// Something is at the path: also a link whose target is missing (an unmounted drive),
// which is opened, and refused with its reason, rather than replaced by a new file.
bool EntryExists(std::u16string_view path) {
    struct stat st {};
    return lstat(NativePath(path).c_str(), &st) == 0;
}

// Reads every action's identifier and start in start order. Rows read before a
// failing one stay in the index. 0, or -2 when a row could not be read.
int ReadActionIndexAtStartup(ActionIndex& index) {
    index.Clear();
    DataFileTables* tables = OpenTables();
    if (!tables || !tables->userData) return -2;
    // The identifier breaks ties, as every rebuild of the index does.
    const char* sql =
        "select f_nchActId,f_nchStaDateTime from t_UserData order by f_nchStaDateTime asc, f_nchActId asc";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(tables->db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return -2;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const char* id = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        const char* start = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        index.AppendUtf8(id ? std::string_view(id, static_cast<size_t>(sqlite3_column_bytes(stmt, 0))) : "",
                         start ? std::string_view(start, static_cast<size_t>(sqlite3_column_bytes(stmt, 1))) : "");
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? 0 : -2;
}

void ShowStop(const char16_t* text, const char16_t* caption) {
    ShowMessage(nullptr, text, caption, MB_OK | MB_ICONSTOP);
}

// The diary goes on with the actions read before the damage; without a word the user
// would take the fraction for the whole diary (and export it as such).
void TellDamagedActionTable(std::u16string_view path, long long readable) {
    MarkDamageTold(path);
    ShowMessage(nullptr,
                u"データファイル '" + std::u16string(path) + u"' が破損しています。\n" +
                    FormatText("読込めたアクションは %lld 件です。\n", readable) +
                    u"残りのアクションは flotsam で取り出せる可能性があります。",
                u"データファイル破損", MB_OK | MB_ICONEXCLAMATION);
}

// Step 1 of OpenDataFileAtStartup: an existing file is opened and checked.
int OpenExistingDataFile(std::u16string_view path) {
    if (FAILED(OpenDataFile(path))) return -200;
    switch (CheckAndUpgradeFormat()) {
    case 0:
        return kOpenedDataFile;
    case -4:
        return kUpgradedDataFile;
    case -1:
        ShowMessage(nullptr, u"フォーマットの更新が中止されました。\nプログラムを終了します。", u"更新中止",
                    MB_OK | MB_ICONINFORMATION);
        return -110;
    case -2:
        ShowStop(u"データファイルの内容が不正です。\nプログラムを終了します。", u"データファイル不正");
        return -110;
    default:
        ShowStop(u"データファイルのフォーマット更新に失敗しました。\nプログラムを終了します。",
                 u"フォーマット更新失敗");
        return -110;
    }
}

} // namespace

CMainApp* App() {
    return g_app;
}
void SetApp(CMainApp* app) {
    g_app = app;
}

std::vector<std::u16string> MakeTimePickList() {
    std::vector<std::u16string> list;
    for (int hour = 0; hour < 24; ++hour) {
        std::string text = "0" + std::to_string(hour);
        std::string hh = text.substr(text.size() - 2);
        list.push_back(FormatText("%s:00", hh.c_str()));
        list.push_back(FormatText("%s:30", hh.c_str()));
    }
    list.push_back(u"24:00");
    return list;
}

CMainApp::CMainApp() : timePickList(MakeTimePickList()) {}

void CMainApp::SetShownDateToday() {
    LocalDateTime now = LocalNow();
    shownDate = {now.year, now.month, now.day};
}

int CMainApp::LoadSettings(int dpi) {
    SeedRandomFromTicks();
    settings = DefaultSettings(dpi);
    settingsPath = ProgramFolderPath(kSettingsFileName);
    settingsFileWasMissing = !PathExists(settingsPath);
    if (!settingsFileWasMissing) {
        if (ReadSettings(settings, settingsPath) != 0) {
            ShowStop(u"設定ファイルが読込めません。\nプログラムを終了します。", u"起動時エラー");
            return -1;
        }
    } else {
        ShowMessage(nullptr, u"設定ファイルが見つからないので初期化します。", u"設定ファイルエラー",
                    MB_OK | MB_ICONINFORMATION);
        FillDefaultLists(settings.lists);
    }
    ApplySettingsMigrations(settings, ProgramFolderPath(kDefaultDataFileName));
    actionIndex.Clear();
    SetShownDateToday();
    return 0;
}

int CMainApp::OpenDataFileAtStartup() {
    int status = kOpenedDataFile;
    if (EntryExists(settings.DataFile)) {
        status = OpenExistingDataFile(settings.DataFile);
        if (status < -99) return status;
    } else {
        std::u16string newPath;
        HRESULT failure = S_OK;
        switch (LocateOrCreateDataFile(settings.DataFile, newPath, &failure)) {
        case -4:
            status = kCreatedDataFile;
            settings.DataFile = newPath;
            break;
        case -2:
        case -3:
            return -101;
        default:
            ShowStop(
                FormatText("データファイルの初期化に失敗しました。(%d)\nプログラムを終了します。", failure).c_str(),
                u"データファイル初期化失敗");
            return -101;
        }
        // A file taken from the program folder is used as it is; open it when needed.
        if (!OpenTables() && FAILED(OpenDataFile(settings.DataFile))) return -200;
    }
    if (ReadActionIndexAtStartup(actionIndex) != 0) {
        TellDamagedActionTable(settings.DataFile, actionIndex.count());
        return kUpgradedDataFile;
    }
    return status;
}

void CMainApp::ShutdownApplication() {
    SaveSettings(settings, currentView, settingsPath);
    // The position source exists only when something asked for a position.
    StopPositionSource();
    ReleasePositionSource();
    SaveRecorderState(recorder, actionIndex);
    CloseDataFile();
    settings.lists = PickLists{};
    settings.Version.reset();
    settings.DataFile.clear();
}
