// Compaction: backup and temporary names, questions and the files left behind.
#include <gtest/gtest.h>

#include "core/Utf.h"
#include "store/Compaction.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScriptedMessages.h"

#include <filesystem>

namespace {

class CompactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("user.sdf");
        ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
        for (int i = 0; i < 300; ++i) {
            ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
            r[ActionField::Memo] = std::u16string(500, u'x');
            ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
        }
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "DELETE FROM t_UserData WHERE rowid > 10"), S_OK);
        CloseDataFile();
    }
    TempDir dir;
    std::string path;
    ScriptedMessages messages;
};

} // namespace

TEST_F(CompactionTest, CompactsAndKeepsTheBackup) {
    TempDir::WriteBytes(dir.file("user.bak"), "old backup");
    TempDir::WriteBytes(dir.file("$$TmpFLT.000"), "left over");
    auto before = std::filesystem::file_size(path);
    std::string original = TempDir::ReadBytes(path);
    messages.Answer({IDYES, IDYES});
    ASSERT_EQ(CompactDataFile(nullptr, FromUtf8(path)), 0);
    ASSERT_EQ(messages.count(), 2u);
    std::u16string backup = FromUtf8(dir.file("user.bak"));
    EXPECT_EQ(messages.shown()[0].text, u"データファイル\"" + FromUtf8(path) +
                                            u"\"を圧縮してもよろしいですか？\n圧縮後、元のファイルは\"" + backup +
                                            u"\"にリネームされます。");
    EXPECT_EQ(messages.shown()[1].caption, u"同名ファイル存在");
    EXPECT_EQ(messages.shown()[1].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(TempDir::ReadBytes(dir.file("user.bak")), original);
    EXPECT_EQ(TempDir::ReadBytes(dir.file("$$TmpFLT.000")), "left over");
    EXPECT_FALSE(std::filesystem::exists(dir.file("$$TmpFLT.001")));
    EXPECT_LT(std::filesystem::file_size(path), before);
    EXPECT_EQ(IntegrityOf(path), "ok");
    EXPECT_EQ(RawValue(path, "select count(*) from t_UserData"), "10");
}

TEST_F(CompactionTest, RefusalsAndFailuresLeaveTheFile) {
    std::string original = TempDir::ReadBytes(path);
    messages.Answer(IDNO);
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(path)), -104);
    EXPECT_EQ(messages.last().text, u"データファイル圧縮を中止しました。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
    TempDir::WriteBytes(dir.file("user.bak"), "old backup");
    messages.Answer({IDYES, IDNO});
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(path)), -105);
    EXPECT_EQ(TempDir::ReadBytes(dir.file("user.bak")), "old backup");
    EXPECT_EQ(TempDir::ReadBytes(path), original);
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(dir.file("none.sdf"))), -101);
    EXPECT_EQ(messages.last().caption, u"ファイル名エラー");
    std::string text = dir.file("text.sdf");
    TempDir::WriteBytes(text, "not a database, not at all, really not");
    messages.Answer(IDYES);
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(text)), -108);
    EXPECT_EQ(messages.last().text, u"データファイル圧縮中にエラーが発生しました。\n処理を中止します。");
    EXPECT_EQ(TempDir::ReadBytes(text), "not a database, not at all, really not");
}

// Each step after the questions can fail; each failure leaves the data file as it was
// (same bytes, same name), is told, and leaves no temporary copy behind.
class CompactionStepFailure : public CompactionTest {
protected:
    void TearDown() override { CompactionFileOpsForTest() = saved; }
    static int NoLink(const char*, const char*) { return -1; }
    static int NoRename(const char*, const char*) { return -1; }
    // Renames everything but the compacted copy.
    static int RenameOnlyAway(const char* from, const char* to) {
        return std::string(from).find("$$TmpFLT") != std::string::npos ? -1 : std::rename(from, to);
    }
    void ExpectUntouched(const std::string& original) {
        EXPECT_EQ(TempDir::ReadBytes(path), original);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with("$$TmpFLT")) << entry.path();
    }
    CompactionFileOps saved = CompactionFileOpsForTest();
};

TEST_F(CompactionStepFailure, BackupThatCannotBeRemoved) {
    std::string original = TempDir::ReadBytes(path);
    std::filesystem::create_directories(dir.file("user.bak/inside"));
    messages.Answer({IDYES, IDYES});
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(path)), -109);
    EXPECT_EQ(messages.last().text, u"元のデータファイルのリネーム後と同名のファイル\"" +
                                        FromUtf8(dir.file("user.bak")) +
                                        u"\"を削除できません。\nデータファイルの圧縮を中止します。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("user.bak/inside")));
    ExpectUntouched(original);
}

TEST_F(CompactionStepFailure, BackupThatCannotBeMade) {
    std::string original = TempDir::ReadBytes(path);
    CompactionFileOpsForTest() = {NoLink, NoRename};
    messages.Answer(IDYES);
    EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(path)), -110);
    EXPECT_EQ(messages.last().caption, u"エラー");
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.bak")));
    ExpectUntouched(original);
}

TEST_F(CompactionStepFailure, CopyThatCannotTakeTheName) {
    std::string original = TempDir::ReadBytes(path);
    for (CompactionFileOps ops : {CompactionFileOps{saved.link, NoRename}, CompactionFileOps{NoLink, RenameOnlyAway}}) {
        std::filesystem::remove(dir.file("user.bak"));
        CompactionFileOpsForTest() = ops;
        messages.Answer(IDYES);
        EXPECT_EQ(CompactDataFile(nullptr, FromUtf8(path)), -111);
        EXPECT_EQ(messages.last().text, u"圧縮したデータファイルへの置換えにてエラーが発生しました。\n"
                                        u"データファイルは圧縮前のままです。");
        ExpectUntouched(original);
    }
}

TEST(CompactionNames, BackupNames) {
    EXPECT_EQ(CompactBackupName(u"/data", u"user.sdf"), u"/data/user.bak");
    EXPECT_EQ(CompactBackupName(u"/data", u"a.b.sdf"), u"/data/a.b.bak");
    EXPECT_EQ(CompactBackupName(u"/data", u"user"), u"/data/user.bak");
    EXPECT_EQ(CompactBackupName(u"/", u"user.sdf"), u"/user.bak");
}
