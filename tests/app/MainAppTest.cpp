// The application object's start-up and shutdown steps on real files: settings
// loading, every outcome of opening the data file, the action index and shutdown.
#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <vector>

namespace {

int Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

class MainAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedClock(2010, 11, 14, 9, 5, 3);
        SetProgramFolder(FromUtf8(dir.path() + "/"));
    }
    void TearDown() override {
        CloseDataFile();
        SetClockSource({});
    }
    // A data file with the given actions (start, end pairs), closed again.
    void MakeDataFile(std::initializer_list<std::pair<const char*, const char*>> actions) {
        ASSERT_EQ(CreateDataFile(dir.file16("user.sdf")), S_OK);
        for (auto [start, end] : actions) {
            ActionRecord r;
            r[ActionField::StaDateTime] = FromUtf8(start);
            r[ActionField::EndDateTime] = FromUtf8(end);
            ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
        }
        CloseDataFile();
    }
    void WriteSettingsFile(std::initializer_list<const char*> lines) {
        std::string bytes;
        for (const char* line : lines)
            bytes += ToCp932(FromUtf8(line)) + "\r\n";
        TempDir::WriteBytes(dir.file("TideLog.dat"), bytes);
    }
    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
};

TEST_F(MainAppTest, TimePickListHasEveryHalfHourAndTheEndOfTheDay) {
    const auto& list = app.timePickList;
    ASSERT_EQ(list.size(), 49u);
    EXPECT_EQ(list[0], u"00:00");
    EXPECT_EQ(list[1], u"00:30");
    EXPECT_EQ(list[21], u"10:30");
    EXPECT_EQ(list[47], u"23:30");
    EXPECT_EQ(list[48], u"24:00");
}

TEST_F(MainAppTest, MissingSettingsFileGivesDefaultsAndTheDefaultLists) {
    ASSERT_EQ(app.LoadSettings(144), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"設定ファイルが見つからないので初期化します。");
    EXPECT_EQ(messages.last().caption, u"設定ファイルエラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(app.settings.lists.Place.size(), 5u);
    EXPECT_EQ(app.settings.lists.Category2.size(), 10u);
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
    EXPECT_EQ(app.settings.SeqViewRng, 0); // no Version: the old range is reset
    EXPECT_EQ(app.settings.TimeInitForNewMode, 1);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    EXPECT_FALSE(Exists(dir.file("TideLog.dat"))); // written only at shutdown
}

TEST_F(MainAppTest, ExistingSettingsFileIsReadAndMigrated) {
    WriteSettingsFile({"[System]", "Version:3.2.2010.1114", "InitView:3", "SetNowForCreate:0", "", "[Memo]", "m"});
    ASSERT_EQ(app.LoadSettings(144), 0);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(app.settings.InitView, 3);
    EXPECT_EQ(app.settings.SeqViewRng, 20);
    EXPECT_EQ(app.settings.TimeInitForNewMode, 2);
    EXPECT_TRUE(app.settings.lists.Place.empty());
    EXPECT_EQ(app.settings.lists.Memo, std::vector<std::u16string>{u"m"});
}

TEST_F(MainAppTest, UnreadableSettingsFileEndsStartUp) {
    mkdir(dir.file("TideLog.dat").c_str(), 0755);
    EXPECT_NE(app.LoadSettings(144), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"設定ファイルが読込めません。\nプログラムを終了します。");
    EXPECT_EQ(messages.last().caption, u"起動時エラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
}

TEST_F(MainAppTest, MissingDataFileIsCreatedOnYesAndEndsStartUpOnNo) {
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Clear();
    messages.Answer(IDNO);
    EXPECT_EQ(app.OpenDataFileAtStartup(), -101);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"データファイル '" + dir.file16("user.sdf") + u"' が見つかりません。初期化しますか。");
    EXPECT_FALSE(Exists(dir.file("user.sdf")));

    messages.Clear();
    messages.Answer(IDYES);
    EXPECT_EQ(app.OpenDataFileAtStartup(), kCreatedDataFile);
    EXPECT_EQ(messages.count(), 1u);
    EXPECT_NE(OpenTables(), nullptr);
    EXPECT_TRUE(app.actionIndex.empty());
}

TEST_F(MainAppTest, DataFileInAMissingFolderIsTakenFromTheProgramFolder) {
    MakeDataFile({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    WriteSettingsFile({"[System]", "Version:3.2.2010.1114", ("DataFile:" + dir.path() + "/gone/user.sdf").c_str()});
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Answer(IDYES);
    EXPECT_EQ(app.OpenDataFileAtStartup(), kCreatedDataFile);
    EXPECT_EQ(app.settings.DataFile, dir.file16("user.sdf"));
    EXPECT_EQ(app.actionIndex.count(), 1);
}

TEST_F(MainAppTest, ExistingDataFileBuildsTheIndexInStartOrder) {
    MakeDataFile({{"2010/11/14 10:00:00", "2010/11/14 11:00:00"},
                  {"2010/11/13 23:00:00", "2010/11/14 01:00:00"},
                  {"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Clear();
    EXPECT_EQ(app.OpenDataFileAtStartup(), kOpenedDataFile);
    EXPECT_EQ(messages.count(), 0u);
    ASSERT_EQ(app.actionIndex.count(), 3);
    EXPECT_EQ(app.actionIndex.StartAt(0), u"2010/11/13 23:00:00");
    EXPECT_EQ(app.actionIndex.StartAt(2), u"2010/11/14 10:00:00");
}

TEST_F(MainAppTest, EmptyDataFileGivesAnEmptyIndex) {
    MakeDataFile({});
    ASSERT_EQ(app.LoadSettings(144), 0);
    EXPECT_EQ(app.OpenDataFileAtStartup(), kOpenedDataFile);
    EXPECT_TRUE(app.actionIndex.empty());
}

TEST_F(MainAppTest, OldFormatIsUpgradedOnTwoYesesAndEndsStartUpOnNo) {
    struct Case {
        std::initializer_list<int> answers;
        int expected;
        const char16_t* lastText;
    } cases[] = {
        {{IDYES, IDYES}, kUpgradedDataFile, u"データファイルのフォーマットを 3.2.2010.0623 に更新しました。"},
        {{IDNO}, -110, u"フォーマットの更新が中止されました。\nプログラムを終了します。"},
        {{IDYES, IDNO}, -110, u"フォーマットの更新が中止されました。\nプログラムを終了します。"},
    };
    for (const auto& c : cases) {
        MakeDataFile({});
        ASSERT_EQ(
            Sql(dir.file("user.sdf"), "update t_SysInfo set f_nvcValue='3.1.2010.0623' where f_nvcItem='DBFmtVer'"),
            SQLITE_OK);
        CMainApp fresh;
        ASSERT_EQ(fresh.LoadSettings(144), 0);
        messages.Clear();
        messages.Answer(c.answers);
        EXPECT_EQ(fresh.OpenDataFileAtStartup(), c.expected);
        ASSERT_FALSE(messages.shown().empty());
        EXPECT_EQ(messages.last().text, c.lastText);
        CloseDataFile();
    }
}

TEST_F(MainAppTest, FileWithoutFormatVersionIsRefused) {
    MakeDataFile({});
    ASSERT_EQ(Sql(dir.file("user.sdf"), "delete from t_SysInfo where f_nvcItem='DBFmtVer'"), SQLITE_OK);
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Clear();
    EXPECT_EQ(app.OpenDataFileAtStartup(), -110);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"データファイルの内容が不正です。\nプログラムを終了します。");
    EXPECT_EQ(messages.last().caption, u"データファイル不正");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
}

// A damaged page in the middle of the action table: start-up goes on with the actions
// before it and says so once, with how many could be read.
TEST_F(MainAppTest, DamagedActionTableIsToldWithTheNumberRead) {
    MakeDataFile({});
    std::string path = dir.file("user.sdf");
    ASSERT_EQ(Sql(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                        "INSERT INTO t_UserData (f_nchActId, f_nchStaDateTime, f_nchEndDateTime, f_nvcMemo) "
                        "SELECT printf('ID2010111409%06d', i), printf('2010/11/14 %02d:%02d:%02d', i / 3600, "
                        "i / 60 % 60, i % 60), '2010/11/15 00:00:00', 'memo' FROM n"),
              SQLITE_OK);
    // The middle leaf page of the start index, which the start-up read walks.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "select pageno from dbstat where name = 'i_UserDataSta' and pagetype = 'leaf' "
                                 "order by path",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    std::vector<long long> leaves;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        leaves.push_back(sqlite3_column_int64(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    ASSERT_GT(leaves.size(), 4u);
    std::string bytes = TempDir::ReadBytes(path);
    size_t page = static_cast<size_t>(leaves[leaves.size() / 2] - 1) * 4096;
    for (size_t i = 0; i < 4096; ++i)
        bytes[page + i] = static_cast<char>(0xA5 ^ i);
    TempDir::WriteBytes(path, bytes);

    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Clear();
    EXPECT_EQ(app.OpenDataFileAtStartup(), kUpgradedDataFile);
    long long read = app.actionIndex.count();
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 3000);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"データファイル '" + FromUtf8(path) + u"' が破損しています。\n" +
                                        FormatText("読込めたアクションは %lld 件です。\n", read) +
                                        u"残りのアクションは flotsam で取り出せる可能性があります。");
    EXPECT_EQ(messages.last().caption, u"データファイル破損");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONEXCLAMATION);
}

// A file the engine cannot open ends start-up with a message naming it and the cause;
// the missing-engine message never appears for it.
TEST_F(MainAppTest, DataFileThatCannotBeOpenedEndsStartUpWithItsCause) {
    ASSERT_EQ(mkdir(dir.file("user.sdf").c_str(), 0700), 0);
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Clear();
    EXPECT_LT(app.OpenDataFileAtStartup(), -99);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"データファイル '" + dir.file16("user.sdf") + u"' を開けません。\n同じ名前のフォルダがあります。");
    EXPECT_EQ(messages.last().caption, u"データファイルオープンエラー");
    rmdir(dir.file("user.sdf").c_str());
    TempDir::WriteBytes(dir.file("user.sdf"), std::string(8192, '\x5a'));
    messages.Clear();
    EXPECT_LT(app.OpenDataFileAtStartup(), -99);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"データファイル '" + dir.file16("user.sdf") + u"' を開けません。\nデータファイルではありません。");
}

TEST_F(MainAppTest, ShutdownWritesTheSettingsAndClosesTheDataFile) {
    ASSERT_EQ(app.LoadSettings(144), 0);
    messages.Answer(IDYES);
    ASSERT_EQ(app.OpenDataFileAtStartup(), kCreatedDataFile);
    app.currentView = 2;
    app.recorder.place = u"港";
    app.recorder.changed = true;
    app.ShutdownApplication();
    EXPECT_EQ(OpenTables(), nullptr);
    std::u16string text = FromCp932(TempDir::ReadBytes(dir.file("TideLog.dat")));
    EXPECT_NE(text.find(u"Version:3.2.2010.1114\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"InitView:2\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"[Place]\r\n会社\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"DataFile:" + dir.file16("user.sdf") + u"\r\n"), std::u16string::npos);
    ASSERT_EQ(OpenDataFile(dir.file16("user.sdf")), S_OK);
    OptText place;
    ASSERT_EQ(OpenTables()->textData->GetItemText(u"RcdrPlace", place), S_OK);
    EXPECT_EQ(place, u"港");
}

} // namespace
