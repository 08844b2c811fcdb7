// Compaction of a closed data file into a copy that takes its name, the old file
// kept as the backup.
#include "store/Compaction.h"

#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "store/SqlText.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

bool Exists(const std::u16string& path) {
    std::error_code ec;
    return std::filesystem::exists(NativePath(path), ec);
}

void StopMessage(WindowHandle owner, const std::u16string& text, const char16_t* caption) {
    ShowMessage(owner, text, caption, MB_OK | MB_ICONSTOP);
}

void Cancelled(WindowHandle owner) {
    ShowMessage(owner, u"データファイル圧縮を中止しました。", u"データファイル圧縮中止", MB_OK | MB_ICONINFORMATION);
}

// folder + "/" + name, without doubling a folder that is itself "/".
std::u16string Join(std::u16string_view folder, std::u16string_view name) {
    std::u16string joined(folder);
    if (joined.empty() || joined.back() != u'/') joined += u'/';
    return joined + std::u16string(name);
}

int ReportCompactionStep(void* steps) {
    CurrentProgress().Step(++*static_cast<std::int64_t*>(steps));
    return 0;
}

CompactionFileOps g_ops{::link, std::rename};

bool SyncFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

// The last steps. The old file gets the backup name as a second link first, then the
// compacted copy is renamed over the data file's name: at every moment the name holds
// either the old file or the compacted one, and a failure leaves the old file in place.
int ReplaceWithCompactedCopy(WindowHandle owner, const std::u16string& path, const std::u16string& backup,
                             const std::u16string& temporary) {
    std::string native = NativePath(path), nativeBackup = NativePath(backup), nativeTemp = NativePath(temporary);
    std::error_code ec;
    if (FAILED(CompactDatabaseFile(path, temporary)) || !SyncFile(nativeTemp)) {
        std::filesystem::remove(nativeTemp, ec);
        StopMessage(owner, u"データファイル圧縮中にエラーが発生しました。\n処理を中止します。", u"エラー");
        return -108;
    }
    bool linked = g_ops.link(native.c_str(), nativeBackup.c_str()) == 0;
    if (!linked) {
        // Without hard links (some file systems) the old file is renamed instead; a
        // failure of the next step renames it back.
        if (g_ops.rename(native.c_str(), nativeBackup.c_str()) != 0) {
            std::filesystem::remove(nativeTemp, ec);
            StopMessage(
                owner, u"バックアップファイル\"" + backup + u"\"を作成できません。\nデータファイルは圧縮前のままです。",
                u"エラー");
            return -110;
        }
    }
    if (g_ops.rename(nativeTemp.c_str(), native.c_str()) != 0) {
        bool restored = linked ? (std::filesystem::remove(nativeBackup, ec), true)
                               : g_ops.rename(nativeBackup.c_str(), native.c_str()) == 0;
        std::filesystem::remove(nativeTemp, ec);
        StopMessage(owner,
                    restored ? std::u16string(u"圧縮したデータファイルへの置換えにてエラーが発生しました。\n"
                                              u"データファイルは圧縮前のままです。")
                             : u"圧縮したデータファイルへの置換えにてエラーが発生しました。\n元のデータファイルは\"" +
                                   backup + u"\"にあります。",
                    u"エラー");
        return -111;
    }
    SyncFile(native.substr(0, native.rfind('/') + 1)); // the folder, so that the new names last
    return 0;
}

} // namespace

CompactionFileOps& CompactionFileOpsForTest() {
    return g_ops;
}

HRESULT CompactDatabaseFile(std::u16string_view source, std::u16string_view destination) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(NativePath(source).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    HRESULT hr = HResultFromSqlite(rc);
    sqlite3_stmt* stmt = nullptr;
    if (SUCCEEDED(hr)) {
        sqlite3_busy_timeout(db, 2000);
        hr = HResultFromSqlite(sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &stmt, nullptr));
    }
    if (SUCCEEDED(hr)) hr = BindText(stmt, 1, FromUtf8(NativePath(destination)));
    if (SUCCEEDED(hr)) {
        // The copy is one engine call: its progress is told from the engine's progress
        // callback, so that the progress dialog shows (and repaints) while it runs.
        std::int64_t steps = 0;
        CurrentProgress().Start(u"データファイル圧縮中", -1);
        sqlite3_progress_handler(db, 20000, ReportCompactionStep, &steps);
        rc = sqlite3_step(stmt);
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        CurrentProgress().Finish();
        hr = rc == SQLITE_DONE ? S_OK : HResultFromSqlite(rc);
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return hr;
}

std::u16string CompactBackupName(std::u16string_view folder, std::u16string_view name) {
    size_t dot = name.rfind(u'.');
    std::u16string stem(dot == std::u16string_view::npos ? name : name.substr(0, dot));
    return Join(folder, stem + u".bak");
}

int CompactDataFile(WindowHandle owner, std::u16string_view pathView) {
    std::u16string path(pathView);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(NativePath(path), ec)) {
        StopMessage(owner, u"指定のデータファイルは存在しません。\nファイル名を見直してください。",
                    u"ファイル名エラー");
        return -101;
    }
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos) {
        StopMessage(owner, u"指定されたデータファイル名が不正です。", u"ファイル名不正");
        return -102;
    }
    std::u16string folder = slash == 0 ? u"/" : path.substr(0, slash);
    std::u16string backup = CompactBackupName(folder, path.substr(slash + 1));
    if (ShowMessage(owner,
                    u"データファイル\"" + path + u"\"を圧縮してもよろしいですか？\n圧縮後、元のファイルは\"" + backup +
                        u"\"にリネームされます。",
                    u"データファイル圧縮確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        Cancelled(owner);
        return -104;
    }
    if (Exists(backup)) {
        if (ShowMessage(owner,
                        u"元のデータファイルのリネーム後と同名のファイル\"" + backup +
                            u"\"が存在します。\nこのデータファイル削除後、データファイルの圧縮を実行しますか？",
                        u"同名ファイル存在", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
            Cancelled(owner);
            return -105;
        }
        // A backup that stays (a folder of that name, no permission) would be lost
        // track of, so compaction stops before anything is changed.
        if (!std::filesystem::remove(NativePath(backup), ec) || Exists(backup)) {
            StopMessage(owner,
                        u"元のデータファイルのリネーム後と同名のファイル\"" + backup +
                            u"\"を削除できません。\nデータファイルの圧縮を中止します。",
                        u"エラー");
            return -109;
        }
    }
    std::u16string temporary;
    for (int n = 0; n < 100 && temporary.empty(); ++n) {
        std::u16string candidate = Join(folder, FormatText("$$TmpFLT.%03d", n));
        if (!Exists(candidate)) temporary = candidate;
    }
    if (temporary.empty()) {
        StopMessage(owner, u"データファイル圧縮準備にてエラーが発生しました。", u"エラー");
        return -107;
    }
    WaitCursorScope wait;
    return ReplaceWithCompactedCopy(owner, path, backup, temporary);
}
