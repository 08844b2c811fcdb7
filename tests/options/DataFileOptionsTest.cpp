// The data page on real files: compaction of the current file and of another one with
// every answer, compaction on a full disk, and the change of data file on OK.
#include <gtest/gtest.h>

#include "app/MainApp.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "options/DataFileOptions.h"
#include "store/DataFileTables.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SmallDisk.h"

#include <sqlite3.h>

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class DataPage : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        app.settings = DefaultSettings(96);
        app.settings.DataFile = dir.file16("user.sdf");
        SetApp(&app);
        ASSERT_EQ(CreateDataFile(app.settings.DataFile), S_OK);
        AddRows(50);
        ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex), S_OK);
    }
    void TearDown() override {
        CloseDataFile();
        SetApp(nullptr);
    }
    void AddRows(int n) {
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "BEGIN"), S_OK);
        for (int i = 0; i < n; ++i) {
            std::string start = "2010/11/14 " + std::to_string(10 + i % 10) + ":00:00";
            ActionRecord r = MakeAction(start.c_str(), "2010/11/14 22:00:00", i % 2 ? "odd" : "even");
            r[ActionField::Memo] = std::u16string(200, u'm');
            ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
        }
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "COMMIT"), S_OK);
    }
    std::vector<std::u16string> Captions() const {
        std::vector<std::u16string> captions;
        for (const ShownMessage& m : messages.shown())
            captions.push_back(m.caption);
        return captions;
    }
    using Captions_ = std::vector<std::u16string>;

    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
};

TEST_F(DataPage, CompactsTheCurrentFileAndKeepsTheSearch) {
    ASSERT_EQ(
        sqlite3_exec(OpenTables()->db, "delete from t_UserData where f_nvcSubject = 'even'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    app.searchCondition = u" (f_nvcSubject like '%odd%')";
    messages.Answer(IDYES);
    EXPECT_EQ(CompactFromOptionsPage(nullptr, app.settings.DataFile, app), 0);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル圧縮確認", u"圧縮完了"}));
    EXPECT_TRUE(fs::exists(dir.file("user.bak")));
    ASSERT_NE(OpenTables(), nullptr); // the current file is open again
    EXPECT_EQ(app.actionIndex.count(), 25);
    EXPECT_LT(fs::file_size(dir.file("user.sdf")), fs::file_size(dir.file("user.bak")));
    // Once more with the backup present: replacing it, then declining to.
    messages.Clear();
    messages.Answer({IDYES, IDYES});
    EXPECT_EQ(CompactFromOptionsPage(nullptr, app.settings.DataFile, app), 0);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル圧縮確認", u"同名ファイル存在", u"圧縮完了"}));
    messages.Clear();
    auto bytes = TempDir::ReadBytes(dir.file("user.sdf"));
    messages.Answer({IDYES, IDNO});
    EXPECT_EQ(CompactFromOptionsPage(nullptr, app.settings.DataFile, app), -105);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル圧縮確認", u"同名ファイル存在", u"データファイル圧縮中止"}));
    ASSERT_NE(OpenTables(), nullptr);
    EXPECT_EQ(app.actionIndex.count(), 25);
    CloseDataFile();
    EXPECT_EQ(TempDir::ReadBytes(dir.file("user.sdf")), bytes);
}

TEST_F(DataPage, CompactsAnotherFileAndLeavesTheCurrentOneOpen) {
    CloseDataFile();
    fs::copy_file(dir.file("user.sdf"), dir.file("other.sdf"));
    ASSERT_EQ(OpenDataFile(app.settings.DataFile), S_OK);
    // Declined at the name question: nothing happens.
    messages.Answer(IDNO);
    EXPECT_EQ(CompactFromOptionsPage(nullptr, dir.file16("other.sdf"), app), -1);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル名確認", u"データファイル圧縮中止"}));
    EXPECT_EQ(messages.shown()[0].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_FALSE(fs::exists(dir.file("other.bak")));
    messages.Clear();
    messages.Answer({IDYES, IDYES});
    EXPECT_EQ(CompactFromOptionsPage(nullptr, dir.file16("other.sdf"), app), 0);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル名確認", u"データファイル圧縮確認", u"圧縮完了"}));
    EXPECT_TRUE(fs::exists(dir.file("other.bak")));
    EXPECT_FALSE(fs::exists(dir.file("user.bak")));
    ASSERT_NE(OpenTables(), nullptr);
    EXPECT_EQ(app.actionIndex.count(), 50);
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
}

TEST_F(DataPage, FullDiskKeepsTheOldFile) {
    SmallDisk disk(dir.file("small"), "600k");
    if (!disk.mounted()) GTEST_SKIP() << "needs root for a tmpfs";
    CloseDataFile();
    std::string path = dir.file("small/user.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    AddRows(1200); // about 400 kB: no room for a second copy
    CloseDataFile();
    app.settings.DataFile = FromUtf8(path);
    ASSERT_EQ(OpenDataFile(app.settings.DataFile), S_OK);
    std::string bytes = TempDir::ReadBytes(path);
    messages.Answer(IDYES);
    EXPECT_EQ(CompactFromOptionsPage(nullptr, app.settings.DataFile, app), -108);
    EXPECT_EQ(Captions(), (Captions_{u"データファイル圧縮確認", u"エラー"}));
    ASSERT_NE(OpenTables(), nullptr);
    EXPECT_EQ(app.actionIndex.count(), 1200);
    CloseDataFile();
    EXPECT_EQ(TempDir::ReadBytes(path), bytes);
    EXPECT_EQ(IntegrityOf(path), "ok");
    EXPECT_FALSE(fs::exists(dir.file("small/user.bak")));
}

TEST_F(DataPage, ChangesTheDataFileOnOk) {
    EXPECT_EQ(ApplyDataFileFromOptions(nullptr, app.settings.DataFile, app), 0);
    EXPECT_EQ(messages.count(), 0u);
    // A new file in a new folder, declined and then accepted.
    std::u16string fresh = dir.file16("new/folder/diary.sdf");
    messages.Answer(IDNO);
    EXPECT_EQ(ApplyDataFileFromOptions(nullptr, fresh, app), -1);
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
    EXPECT_FALSE(fs::exists(dir.file("new")));
    messages.Answer(IDYES);
    EXPECT_EQ(ApplyDataFileFromOptions(nullptr, fresh, app), 0);
    EXPECT_EQ(app.settings.DataFile, fresh);
    EXPECT_EQ(app.actionIndex.count(), 0);
    EXPECT_TRUE(fs::exists(dir.file("new/folder/diary.sdf")));
    // Back to the existing file.
    messages.Answer(IDOK);
    EXPECT_EQ(ApplyDataFileFromOptions(nullptr, dir.file16("user.sdf"), app), 0);
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
    EXPECT_EQ(app.actionIndex.count(), 50);
    EXPECT_EQ(DataFileFormatVersion().empty(), false);
}

TEST_F(DataPage, RefusesANameTheSettingsFileCannotKeep) {
    app.settingsPath = dir.file16("TideLog.dat");
    std::string outside = dir.path() + "-caf\xc3\xa9/diary.sdf";
    EXPECT_EQ(ApplyDataFileFromOptions(nullptr, FromUtf8(outside), app), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"データファイル名不正");
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
    EXPECT_FALSE(fs::exists(dir.path() + "-caf\xc3\xa9"));
    ASSERT_NE(OpenTables(), nullptr);
}

} // namespace
