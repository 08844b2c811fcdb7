// The data page's compaction and change of data file.
#include "options/DataFileOptions.h"

#include "app/MainApp.h"
#include "app/Settings.h"
#include "store/Compaction.h"
#include "store/DataFileTables.h"
#include "store/ItemTables.h"

std::u16string DataFileFormatVersion() {
    DataFileTables* tables = OpenTables();
    OptText version;
    if (!tables || FAILED(tables->sysInfo->GetItemText(u"DBFmtVer", version)) || !version) return {};
    return *version;
}

int CompactFromOptionsPage(WindowHandle owner, std::u16string_view path, CMainApp& app) {
    if (path != app.settings.DataFile &&
        ShowMessage(owner, u"指定のデータファイル名と現在のデータファイル名が異なりますがよろしいですか？",
                    u"データファイル名確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        ShowMessage(owner, u"データファイル圧縮を中止しました。", u"データファイル圧縮中止",
                    MB_OK | MB_ICONINFORMATION);
        return -1;
    }
    SaveRecorderState(app.recorder, app.actionIndex);
    int result = CompactDataFile(owner, path);
    // The recorder state was saved into the file and cleared; it is read back with the
    // file so that the recorder keeps its history.
    DataFileTables* tables = SUCCEEDED(OpenDataFile(app.settings.DataFile)) ? OpenTables() : nullptr;
    if (tables) LoadRecorderState(app.recorder);
    if (!tables || FAILED(RebuildActionIndex(*tables->userData, app.actionIndex, app.searchCondition))) {
        ShowMessage(owner, u"データファイル読込み中にエラーが発生しました。", u"エラー", MB_OK | MB_ICONSTOP);
        return result != 0 ? result : -2;
    }
    if (result == 0)
        ShowMessage(owner, u"データファイルの圧縮が正常に終了しました。", u"圧縮完了", MB_OK | MB_ICONINFORMATION);
    return result;
}

int ApplyDataFileFromOptions(WindowHandle owner, std::u16string_view path, CMainApp& app) {
    if (path == app.settings.DataFile) return 0;
    // A name the settings file cannot keep would be lost at the next start.
    if (CheckDataFilePathStorable(owner, path, app.settingsPath) != 0) return -1;
    DataFileContext context{app.settings.DataFile, app.actionIndex, app.recorder, app.currentActionId,
                            app.searchCondition};
    return ChangeDataFile(owner, path, context);
}
