// A whole salvage run: its checks and messages in order, the export and error files,
// and the working copy.
#include "salvage/SalvageRun.h"

#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/Utf.h"
#include "tests/salvage/SalvageTestSupport.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace {

namespace fs = std::filesystem;
using SalvageRunTest = SalvageFixture;

std::u16string Completion(long long exported, long long errors, long long deeper) {
    return CompletionText(SalvageCounts{exported, errors, deeper});
}

TEST_F(SalvageRunTest, UndamagedFileIsExportedWholeAndReimports) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 50);
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].caption, u"実行前確認事項");
    EXPECT_EQ(messages.shown()[0].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(messages.last().caption, u"データ取出し完了");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(messages.last().text, Completion(50, 0, 0));
    EXPECT_EQ(ToUtf8(messages.last().text), "データ取出しが完了しました。\nエクスポート 50 件、ErrFLT.csv 0 件"
                                            "(計 50 件のうち破損箇所の先から回収 0 件)");
    std::vector<std::string> lines = Lines(exportFile);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[0], ToUtf8(u"ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                               u"Category1\tCategory2\tMemo\tExtItems"));
    EXPECT_EQ(lines[1].substr(0, 38), "ID2009010100000000\t2010/11/14 09:00:00");
    EXPECT_FALSE(fs::exists(errorFile));
    long long rows = 0;
    EXPECT_EQ(ImportExport(rows), 0);
    EXPECT_EQ(rows, 50);
}

TEST_F(SalvageRunTest, EdgeRowsOfTheDesign) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 6);
    // Row 1: memo that cannot be converted; row 2: unreadable end; rows 3 and 4: no
    // identifier; row 5: an identifier too long, row 6 one too short.
    RunSql(data, "update t_UserData set f_nvcMemo = cast(x'ff' as text) where rowid = 1;"
                 "update t_UserData set f_nchEndDateTime = x'00' where rowid = 2;"
                 "update t_UserData set f_nchActId = NULL where rowid in (3, 4);"
                 "update t_UserData set f_nchActId = f_nchActId || 'XYZ' where rowid = 5;"
                 "update t_UserData set f_nchActId = 'ID123' where rowid = 6;");
    SetFixedClock(2011, 2, 3, 4, 5, 6);
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.counts.exported, 5);
    EXPECT_EQ(result.counts.errors, 1);
    std::vector<std::string> lines = Lines(exportFile);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].substr(0, 18), "ID2009010100000000");
    EXPECT_NE(lines[1].find(ToUtf8(u"\tcat0\t(NULL)\t\t")), std::string::npos) << "empty memo: " << lines[1];
    EXPECT_EQ(lines[2].substr(0, 18), "ID2011020304050600");
    EXPECT_EQ(lines[3].substr(0, 18), "ID2011020304050601");
    EXPECT_EQ(lines[4].substr(0, 19), "ID2009010100000004\t");
    EXPECT_EQ(lines[5].substr(0, 18), "ID2011020304050602");
    std::vector<std::string> errors = Lines(errorFile);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].substr(0, 69), "ID2009010100000001\t2010/11/14 09:00:00\t2010/01/02 01:01:00\t(no data)\t");
    EXPECT_NE(errors[0].find("(no data)"), std::string::npos);
    long long rows = 0;
    EXPECT_EQ(ImportExport(rows), 0);
    EXPECT_EQ(rows, 5);
}

TEST_F(SalvageRunTest, NoErrorRowsLeaveAnOldErrorFileAlone) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 3);
    TempDir::WriteBytes(errorFile, "old");
    Salvage(data);
    EXPECT_EQ(TempDir::ReadBytes(errorFile), "old");
}

TEST_F(SalvageRunTest, UnreadableEndsGoOnlyToTheErrorFile) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 2);
    RunSql(data, "update t_UserData set f_nchEndDateTime = NULL");
    EXPECT_EQ(Salvage(data).code, 0);
    EXPECT_EQ(Lines(exportFile).size(), 1u) << "the header alone";
    // The memo of the first row holds a line break, written as it is.
    std::string errors = ToUtf8(FromCp932(TempDir::ReadBytes(errorFile)));
    EXPECT_EQ(errors.find("ID2009010100000000\t2010/11/14 09:00:00\t2010/01/01 00:00:00\t(no data)\t"), 0u);
    EXPECT_NE(errors.find("\r\nID2009010100000001\t2010/11/14 09:00:00\t2010/01/02 01:01:00\t(no data)\t"),
              std::string::npos);
    EXPECT_EQ(messages.last().text, Completion(0, 2, 0));
}

TEST_F(SalvageRunTest, ChecksAndRefusalStopBeforeAnyFile) {
    EXPECT_EQ(RunSalvage(nullptr, u"", u"/x.csv").code, -1);
    EXPECT_EQ(messages.last().text, u"データファイルが未指定です。");
    EXPECT_EQ(messages.last().caption, u"データファイル未指定");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(RunSalvage(nullptr, u"/x.sdf", u"").code, -1);
    EXPECT_EQ(messages.last().caption, u"エクスポートファイル未指定");
    messages.Clear();
    messages.Answer(IDNO);
    EXPECT_EQ(RunSalvage(nullptr, u"/x.sdf", FromUtf8(exportFile)).code, -1);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().text, u"データ取出しを中止しました。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
    messages.Answer(IDYES);
    EXPECT_EQ(RunSalvage(nullptr, u"/x.sdf", u"nofolder.csv").code, -1);
    EXPECT_EQ(messages.last().text, u"指定されたエクスポートファイル名が不正です。");
    EXPECT_FALSE(fs::exists(exportFile));
}

// An export file that is the data file (by its name or a link), the working copy or the
// error file is refused before anything is written: the data file stays as it was.
TEST_F(SalvageRunTest, ExportOverTheDataFileOrTheRunsOwnFilesIsRefused) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 20);
    std::string before = TempDir::ReadBytes(data);
    fs::create_symlink(data, dir.file("link.csv"));
    const std::string clashes[] = {data, dir.path() + "/./user.sdf", dir.file("link.csv"), dir.file("ErrFLT.csv"),
                                   programDir.file("$$TmpFLT.sdf")};
    for (const std::string& clash : clashes) {
        messages.Clear();
        messages.Answer(IDYES);
        EXPECT_EQ(RunSalvage(nullptr, FromUtf8(data), FromUtf8(clash)).code, -1) << clash;
        EXPECT_EQ(messages.last().text, u"指定されたエクスポートファイル名が不正です。") << clash;
        EXPECT_EQ(messages.last().caption, u"データファイル不正");
    }
    EXPECT_EQ(TempDir::ReadBytes(data), before);
    EXPECT_FALSE(fs::exists(dir.file("ErrFLT.csv")));
    EXPECT_FALSE(fs::exists(programDir.file("$$TmpFLT.sdf")));
}

TEST_F(SalvageRunTest, MissingDataFileIsAnOpenFailure) {
    Salvage(dir.file("none.sdf"));
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[1].text, u"指定されたデータファイルが存在しません。");
    EXPECT_EQ(messages.shown()[1].caption, u"ファイルエラー");
    EXPECT_EQ(messages.last().text, u"データファイルのオープンに失敗しました。");
    EXPECT_EQ(messages.last().caption, u"ファイルオープンエラー");
    EXPECT_FALSE(fs::exists(exportFile));
}

TEST_F(SalvageRunTest, ExportFileThatCannotBeCreated) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 2);
    exportFile = dir.file("no/such/folder.csv");
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, -2);
    EXPECT_EQ(messages.last().caption, u"オープンエラー");
    EXPECT_EQ(messages.last().text,
              u"エクスポートファイル[" + FromUtf8(exportFile) + u"]のオープンに失敗しました。環境を見直してください。");
}

TEST_F(SalvageRunTest, ErrorFileThatCannotBeCreatedEndsTheExport) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 3);
    RunSql(data, "update t_UserData set f_nchStaDateTime = NULL where rowid = 2");
    fs::create_directory(errorFile); // a folder where the error file would go
    SalvageResult result = Salvage(data);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[1].text,
              u"エラーファイル[" + FromUtf8(errorFile) + u"]のオープンに失敗しました。環境を見直してください。");
    EXPECT_EQ(messages.last().caption, u"データ取出し完了") << "the completion follows the export's own message";
    EXPECT_EQ(result.counts.exported, 1);
}

TEST_F(SalvageRunTest, FullDiskIsAWriteFailure) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 400);
    exportFile = "/dev/full";
    Salvage(data);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[1].caption, u"書込みエラー");
    EXPECT_EQ(messages.shown()[1].text,
              u"エクスポートファイルの書込みに失敗(-1)しました。メモリの空き容量を確認してください。");
}

TEST_F(SalvageRunTest, OldWorkingCopyIsReplaced) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 4);
    TempDir::WriteBytes(programDir.file("$$TmpFLT.sdf"), "stale");
    EXPECT_EQ(Salvage(data).counts.exported, 4);
}

// A working copy left behind by a run that ended abnormally, chosen as the data file:
// it is read where it is, never removed or replaced.
TEST_F(SalvageRunTest, WorkingCopyChosenAsTheDataFileIsKept) {
    std::string leftOver = programDir.file("$$TmpFLT.sdf");
    MakeDataFile(leftOver, 7);
    const std::string bytes = TempDir::ReadBytes(leftOver);
    SalvageResult result = Salvage(leftOver);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.counts.exported, 7);
    EXPECT_TRUE(TempDir::ReadBytes(leftOver) == bytes) << "the file was changed";
    fs::remove(leftOver); // what the fixture checks is that a run leaves none
}

} // namespace
