// The life of a data file: create, broken files, format upgrade, locate and change.
#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/RecorderState.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SmallDisk.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

namespace {

const unsigned kQuestionNo = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// A data file in an older format, as the program of that time made it.
void MakeOlderFile(const std::string& path, const char* version) {
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00", "old");
    ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    CloseDataFile();
    std::string v = version ? std::string("'") + version + "'" : "";
    std::string sql = "DROP INDEX i_UserDataSta;";
    if (version)
        sql += "UPDATE t_SysInfo SET f_nvcValue=" + v + " WHERE f_nvcItem='DBFmtVer';";
    else
        sql += "DELETE FROM t_SysInfo WHERE f_nvcItem='DBFmtVer';";
    if (version && std::string(version) < "3.1.2010.0623") sql += "ALTER TABLE t_UserData DROP COLUMN f_nvcExtItems;";
    if (version && std::string(version) < "3.1.2010.0430")
        sql += "DELETE FROM t_TextData WHERE f_nvcItem IN ('RcdrLatitude','RcdrLongitude');";
    ASSERT_EQ(RawSql(path, sql), 0);
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedClock(2010, 11, 14, 9, 5, 3);
        SetProgramFolder(FromUtf8(dir.path() + "/"));
    }
    void TearDown() override {
        CloseDataFile();
        SetClockSource({});
    }
    TempDir dir;
    ScriptedMessages messages;
};

} // namespace

TEST_F(DataFileTest, UpgradesEveryOlderFormat) {
    struct Case {
        const char* version;
        size_t questions;
    } cases[] = {{"3.1.2010.0430", 3}, {"3.1.2010.0623", 3}, {"3.0.2009.1201", 3}};
    for (const Case& c : cases) {
        std::string path = dir.file(std::string("old") + c.version + ".sdf");
        MakeOlderFile(path, c.version);
        messages.Clear();
        messages.Answer({IDYES, IDYES});
        ASSERT_EQ(OpenDataFile(FromUtf8(path)), S_OK);
        EXPECT_EQ(CheckAndUpgradeFormat(), -4) << c.version;
        ASSERT_EQ(messages.count(), c.questions);
        EXPECT_EQ(messages.shown()[0].caption, u"バージョン更新確認(1/2)");
        EXPECT_EQ(messages.shown()[0].flags, kQuestionNo);
        EXPECT_EQ(messages.shown()[1].text, u"更新の前にデータファイル\n" + FromUtf8(path) +
                                                u"\"をバックアップされることを推奨します。\n"
                                                u"フォーマットの更新を開始してもよろしいですか。");
        EXPECT_EQ(messages.shown()[2].text, u"データファイルのフォーマットを 3.2.2010.0623 に更新しました。");
        EXPECT_EQ(messages.shown()[2].flags, MB_OK | MB_ICONINFORMATION);
        ActionRecord r = MakeAction("2010/11/15 09:00:00", "2010/11/15 10:00:00");
        r[ActionField::ExtItems] = u"ext";
        ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
        CloseDataFile();
        EXPECT_EQ(RawValue(path, "select f_nvcValue from t_SysInfo where f_nvcItem='DBFmtVer'"), "3.2.2010.0623");
        EXPECT_EQ(RawValue(path, "select f_nvcValue from t_SysInfo where f_nvcItem='UpdProgVer'"), "3.2.2010.1114");
        EXPECT_EQ(RawValue(path, "select count(*) from t_TextData where f_nvcItem in ('RcdrLatitude','RcdrLongitude')"),
                  "2");
        EXPECT_EQ(RawValue(path, "select count(*) from t_UserData where f_nvcExtItems='ext'"), "1");
        EXPECT_EQ(RawValue(path, "select count(*) from sqlite_master where name='i_UserDataSta'"), "1");
        EXPECT_EQ(IntegrityOf(path), "ok");
    }
}

TEST_F(DataFileTest, DecliningEitherQuestionLeavesTheFileByteIdentical) {
    for (int declineAt = 0; declineAt < 2; ++declineAt) {
        std::string path = dir.file("decline" + std::to_string(declineAt) + ".sdf");
        MakeOlderFile(path, "3.1.2010.0430");
        std::string before = TempDir::ReadBytes(path);
        messages.Clear();
        if (declineAt == 0)
            messages.Answer(IDNO);
        else
            messages.Answer({IDYES, IDNO});
        ASSERT_EQ(OpenDataFile(FromUtf8(path)), S_OK);
        EXPECT_EQ(CheckAndUpgradeFormat(), -1);
        CloseDataFile();
        EXPECT_EQ(messages.count(), static_cast<size_t>(declineAt + 1));
        EXPECT_EQ(TempDir::ReadBytes(path), before);
    }
}

TEST_F(DataFileTest, CurrentFileOpensWithoutQuestion) {
    std::string path = dir.file("user.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    CloseDataFile();
    ASSERT_EQ(OpenDataFile(FromUtf8(path)), S_OK);
    EXPECT_EQ(CheckAndUpgradeFormat(), 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DataFileTest, BrokenFilesGiveCodes) {
    std::string good = dir.file("good.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(good)), S_OK);
    for (int i = 0; i < 200; ++i) {
        ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00", "filler text for pages");
        r[ActionField::Memo] = std::u16string(300, u'm');
        ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    }
    CloseDataFile();
    std::string bytes = TempDir::ReadBytes(good);
    MakeOlderFile(dir.file("noversion.sdf"), nullptr);
    TempDir::WriteBytes(dir.file("text.sdf"), "this is not a database at all, just some text\r\n");
    TempDir::WriteBytes(dir.file("empty.sdf"), "");
    TempDir::WriteBytes(dir.file("truncated.sdf"), bytes.substr(0, bytes.size() / 3));
    TempDir::WriteBytes(dir.file("header.sdf"), bytes.substr(0, 50));
    ASSERT_EQ(RawSql(dir.file("tables.sdf"), "CREATE TABLE other (x int)"), 0);
    std::string zeroed = bytes;
    std::fill(zeroed.begin(), zeroed.begin() + 100, '\0');
    TempDir::WriteBytes(dir.file("zeroed.sdf"), zeroed);
    std::filesystem::create_directory(dir.file("folder.sdf"));
    // Files the engine opens but that hold no data file give -2 at the format check
    // (its caller tells the user); files it cannot open are told here, by name and cause.
    struct Case {
        const char* name;
        const char16_t* cause; // nullptr: opens, the format check refuses it
    } cases[] = {{"noversion.sdf", nullptr},
                 {"empty.sdf", nullptr},
                 {"truncated.sdf", u"データファイルが破損しています。"},
                 {"tables.sdf", nullptr},
                 {"text.sdf", u"データファイルではありません。"},
                 {"header.sdf", u"データファイルが破損しています。"},
                 {"zeroed.sdf", u"データファイルではありません。"},
                 {"folder.sdf", u"同じ名前のフォルダがあります。"},
                 {"missing.sdf", u"ファイルが見つかりません。"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        HRESULT hr = OpenDataFile(FromUtf8(dir.file(c.name)));
        if (!c.cause) {
            ASSERT_EQ(hr, S_OK);
            EXPECT_EQ(CheckAndUpgradeFormat(), -2);
            EXPECT_EQ(messages.count(), 0u);
        } else {
            EXPECT_LT(hr, 0);
            EXPECT_FALSE(OpenTables());
            ASSERT_EQ(messages.count(), 1u);
            EXPECT_EQ(messages.last().text,
                      u"データファイル '" + FromUtf8(dir.file(c.name)) + u"' を開けません。\n" + c.cause);
            EXPECT_EQ(messages.last().caption, u"データファイルオープンエラー");
            EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
        }
        CloseDataFile();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.sdf")));
}

// A file another program keeps locked past the busy timeout is told as such.
TEST_F(DataFileTest, FileLockedByAnotherConnectionIsTold) {
    std::string file = dir.file("user.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(file)), S_OK);
    CloseDataFile();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_LT(OpenDataFile(FromUtf8(file)), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"データファイル '" + FromUtf8(file) + u"' を開けません。\n他のプログラムが使用中です。");
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
}

// A create that fails at any point (here: the file size limit reached at every size a
// new data file passes through) leaves no file behind and passes the engine's code up.
TEST_F(DataFileTest, FailedCreateLeavesNothingBehind) {
    std::string path = dir.file("new.sdf");
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    int failures = 0, successes = 0;
    for (rlim_t limit = 0; limit <= 160 * 1024; limit += 4096) {
        SCOPED_TRACE(limit);
        messages.Clear();
        struct rlimit small = saved;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
        HRESULT hr = CreateDataFile(FromUtf8(path));
        setrlimit(RLIMIT_FSIZE, &saved);
        if (SUCCEEDED(hr)) {
            ++successes;
            EXPECT_EQ(CheckAndUpgradeFormat(), 0);
            CloseDataFile();
            EXPECT_EQ(IntegrityOf(path), "ok");
            std::filesystem::remove(path);
            continue;
        }
        ++failures;
        EXPECT_NE(hr, E_FAIL); // the engine's own code
        EXPECT_FALSE(OpenTables());
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_GT(failures, 3);
    EXPECT_GT(successes, 0);
}

// A data file that cannot be made is told with the true reason. The engine retries a
// file it cannot make as a read-only open, whose "no such file" hid why the folder
// refused it: no permission (or a read-only disk), or no room for another file.
TEST_F(DataFileTest, FailedCreateTellsTheTrueReason) {
    ReadOnlyFolder readOnly(dir.file("ro"));
    ASSERT_TRUE(readOnly.refuses());
    SmallDisk noInodes(dir.file("full"), "64k,nr_inodes=1");
    struct Case {
        std::string path;
        const char16_t* cause;
    } cases[] = {{dir.file("ro/user.sdf"), u"アクセス権がありません。"},
                 {dir.file("full/user.sdf"), u"ディスクの空き容量が不足しています。"},
                 {dir.file("gone/user.sdf"), u"ファイルが見つかりません。"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (!noInodes.mounted() && c.path == dir.file("full/user.sdf")) continue; // mounting needs root
        messages.Clear();
        EXPECT_EQ(CreateDataFile(FromUtf8(c.path)), HResultFromSqlite(SQLITE_CANTOPEN));
        EXPECT_FALSE(OpenTables());
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.last().text, u"データファイル '" + FromUtf8(c.path) + u"' を作成できません。\n" + c.cause);
        EXPECT_EQ(messages.last().caption, u"データファイルオープンエラー");
        EXPECT_FALSE(std::filesystem::exists(c.path));
    }
}

// A link at the data file's place is never replaced or removed: not by a create
// (also when its target exists), not by a change of data file to a link whose target
// is missing, which fails as an open naming the target. Relative targets are named
// from the link's folder.
TEST_F(DataFileTest, LinksAreNeverReplaced) {
    const std::string dangling = dir.file("usb.sdf"), live = dir.file("live.sdf");
    ASSERT_EQ(symlink("drive/user.sdf", dangling.c_str()), 0);
    TempDir::WriteBytes(dir.file("kept.sdf"), "kept");
    ASSERT_EQ(symlink(dir.file("kept.sdf").c_str(), live.c_str()), 0);
    const std::u16string missing = u"リンク先 '" + FromUtf8(dir.file("drive/user.sdf")) + u"' が見つかりません。";
    EXPECT_EQ(CreateDataFile(FromUtf8(dangling)), HResultFromSqlite(SQLITE_CANTOPEN));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"データファイル '" + FromUtf8(dangling) + u"' を作成できません。\n" + missing);
    EXPECT_LT(CreateDataFile(FromUtf8(live)), 0);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(TempDir::ReadBytes(dir.file("kept.sdf")), "kept");

    messages.Clear();
    std::u16string dataFile = FromUtf8(dir.file("first.sdf")), current;
    ASSERT_EQ(CreateDataFile(dataFile), S_OK);
    ActionIndex index;
    RecorderState recorder;
    DataFileContext c{dataFile, index, recorder, current, u""};
    messages.Answer(IDOK);
    EXPECT_EQ(ChangeDataFile(nullptr, FromUtf8(dangling), c), -10);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].caption, u"データファイル変更確認");
    EXPECT_EQ(messages.last().text, u"データファイル '" + FromUtf8(dangling) + u"' を開けません。\n" + missing);
    EXPECT_EQ(dataFile, FromUtf8(dir.file("first.sdf")));
    for (const std::string& link : {dangling, live})
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    EXPECT_FALSE(std::filesystem::exists(dir.file("drive")));
}

TEST_F(DataFileTest, CreateReplacesAnExistingFile) {
    std::string path = dir.file("user.sdf");
    TempDir::WriteBytes(path, "junk");
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    EXPECT_EQ(CheckAndUpgradeFormat(), 0);
    CloseDataFile();
    EXPECT_EQ(IntegrityOf(path), "ok");
    EXPECT_EQ(RawValue(path, "select count(*) from t_UserData"), "0");
}

TEST_F(DataFileTest, LocateOrCreate) {
    std::u16string newPath;
    std::u16string here = FromUtf8(dir.file("here.sdf"));
    messages.Answer(IDNO);
    EXPECT_EQ(LocateOrCreateDataFile(here, newPath), -2);
    EXPECT_EQ(messages.last().text, u"データファイル '" + here + u"' が見つかりません。初期化しますか。");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION);
    messages.Answer(IDYES);
    EXPECT_EQ(LocateOrCreateDataFile(here, newPath), -4);
    EXPECT_EQ(newPath, here);
    EXPECT_TRUE(OpenTables());
    CloseDataFile();
    std::u16string gone = FromUtf8(dir.file("gone/here.sdf"));
    messages.Answer(IDYES);
    EXPECT_EQ(LocateOrCreateDataFile(gone, newPath), -4);
    EXPECT_EQ(newPath, ProgramFolderPath(u"here.sdf"));
    EXPECT_EQ(messages.last().caption, u"データファイル初期化確認");
    std::u16string other = FromUtf8(dir.file("gone/other.sdf"));
    messages.Answer(IDYES);
    EXPECT_EQ(LocateOrCreateDataFile(other, newPath), -4);
    EXPECT_EQ(messages.last().text,
              u"データファイルを格納したフォルダ '" + FromUtf8(dir.file("gone")) +
                  u"' が見つかりません。\nアプリケーションフォルダ下にデータファイルを作成しますか。");
    EXPECT_TRUE(std::filesystem::exists(dir.file("other.sdf")));
    EXPECT_EQ(LocateOrCreateDataFile(u"nofolder.sdf", newPath), -1);
    EXPECT_EQ(messages.last().caption, u"データファイル名不正");
}

TEST_F(DataFileTest, ChangeDataFile) {
    std::u16string first = FromUtf8(dir.file("first.sdf"));
    std::u16string second = FromUtf8(dir.file("second.sdf"));
    std::u16string broken = FromUtf8(dir.file("broken.sdf"));
    ASSERT_EQ(CreateDataFile(second), S_OK);
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    CloseDataFile();
    MakeOlderFile(ToUtf8(broken), nullptr);
    ASSERT_EQ(CreateDataFile(first), S_OK);
    std::u16string dataFile = first, current = u"ID2010111409050307";
    ActionIndex index;
    RecorderState recorder;
    recorder.changed = true;
    DataFileContext c{dataFile, index, recorder, current, u""};
    int owner = 0;
    messages.Answer(IDCANCEL);
    EXPECT_EQ(ChangeDataFile(&owner, second, c), -1);
    EXPECT_EQ(messages.last().caption, u"データファイル変更確認");
    EXPECT_EQ(messages.last().owner, &owner);
    messages.Answer(IDOK);
    EXPECT_EQ(ChangeDataFile(&owner, second, c), 0);
    EXPECT_EQ(dataFile, second);
    EXPECT_EQ(index.count(), 1);
    EXPECT_TRUE(current.empty());
    EXPECT_FALSE(recorder.changed);
    messages.Answer(IDOK);
    EXPECT_EQ(ChangeDataFile(&owner, broken, c), 0);
    EXPECT_EQ(messages.last().text, u"データファイルの内容が不正です。\nデータファイルの変更を中止します。");
    EXPECT_EQ(dataFile, second);
    EXPECT_EQ(OpenTables()->path, second);
    std::u16string fresh = FromUtf8(dir.file("new/deeper/fresh.sdf"));
    messages.Answer(IDYES);
    EXPECT_EQ(ChangeDataFile(&owner, fresh, c), 0);
    EXPECT_EQ(messages.last().caption, u"フォルダ作成確認");
    EXPECT_EQ(dataFile, fresh);
    EXPECT_EQ(index.count(), 0);
    EXPECT_EQ(OpenTables()->path, fresh);
}
