// Full disks and unwritable folders under every write path: the settings save, a new
// data file, the edit dialog's create, change and delete, a recorder tap, import,
// export, compaction and the salvage tool's output. Each runs in a child process whose
// files may not grow past a limit (as on a full disk) or whose folder is read-only; it
// must report the failure with its message, report nothing as done, and leave every
// file that was there before as it was.
#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "edit/EditActionForm.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "recorder/RecorderChain.h"
#include "salvage/SalvageRun.h"
#include "store/ActionIndex.h"
#include "store/Compaction.h"
#include "store/DataFileTables.h"
#include "tests/reliability/FaultSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kActions = 60;

// The files a case starts from: a data file, a settings file, an earlier export and a
// file to import, all in one folder (the program folder).
struct Files {
    explicit Files(const TempDir& dir)
        : folder(dir.path()), data(dir.file("user.sdf")), settings(dir.file("TideLog.dat")),
          exported(dir.file("tidemk.csv")), import(dir.file("import.csv")) {}
    std::string folder, data, settings, exported, import;
};

const std::string& TemplateDataFile() {
    static TempDir folder;
    static const std::string path = [] {
        std::string file = folder.file("template.sdf");
        EXPECT_EQ(CreateDataFile(FromUtf8(file)), S_OK);
        ExecuteSql(OpenTables()->db, "begin");
        for (int i = 0; i < kActions; ++i) {
            char start[32];
            std::snprintf(start, sizeof start, "2010/11/%02d 09:00:00", 1 + i % 28);
            ActionRecord r;
            r[ActionField::StaDateTime] = FromUtf8(start);
            r[ActionField::EndDateTime] = FromUtf8(start);
            r[ActionField::Memo] = FromUtf8("memo " + std::to_string(i) + " " + std::string(300, 'm'));
            EXPECT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
        }
        ExecuteSql(OpenTables()->db, "commit");
        CloseDataFile();
        return file;
    }();
    return path;
}

void PrepareFiles(const Files& f) {
    TempDir::WriteBytes(f.data, TempDir::ReadBytes(TemplateDataFile()));
    AppSettings settings = DefaultSettings(96);
    FillDefaultLists(settings.lists);
    ASSERT_EQ(SaveSettings(settings, 1, FromUtf8(f.settings)), 0);
    TempDir::WriteBytes(f.exported, "an earlier export\r\n");
    std::string bytes = "ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                        "Category1\tCategory2\tMemo\tExtItems\r\n";
    for (int i = 0; i < 2000; ++i)
        bytes += "ID7" + std::string(9 - std::to_string(i).size(), '0') + std::to_string(i) +
                 "000000\t2010/11/14 09:05:03\t2010/12/01 09:00:00\t2010/12/01 10:00:00\t\t\tsubject\tplace\t"
                 "c1\tc2\t\"memo " +
                 std::string(100, 'i') + "\"\t\r\n";
    TempDir::WriteBytes(f.import, bytes);
}

long long SizeOf(const std::string& path) {
    return static_cast<long long>(std::filesystem::file_size(path));
}

// The diary as it runs: the data file open, the index read, the application object set.
struct OpenDiary {
    explicit OpenDiary(const Files& f) {
        app.settings = DefaultSettings(96);
        app.settings.DataFile = FromUtf8(f.data);
        app.shownDate = {2010, 11, 14};
        opened = SUCCEEDED(OpenDataFile(app.settings.DataFile)) &&
                 SUCCEEDED(RebuildActionIndex(*OpenTables()->userData, app.actionIndex));
        SetApp(&app);
    }
    ~OpenDiary() {
        SetApp(nullptr);
        CloseDataFile();
    }
    UserDataTable* table() { return OpenTables() ? OpenTables()->userData.get() : nullptr; }
    CMainApp app;
    bool opened = false;
};

// A write path: the operation as the program runs it (0 when it reported success), and
// the largest file size at which it must fail.
struct WritePath {
    const char* name;
    std::function<int(const Files&)> run;
    std::function<long long(const Files&)> fullAt;
};

// A memo long enough that a new or changed action needs a new page of the data file.
std::u16string LongMemo() {
    return std::u16string(3500, u'x');
}

const std::vector<WritePath>& WritePaths() {
    static const std::vector<WritePath> paths = {
        {"settings save",
         [](const Files& f) {
             AppSettings settings = DefaultSettings(96);
             settings.StartupMode = 2;
             for (int i = 0; i < 300; ++i)
                 settings.lists.Memo.push_back(FromUtf8("memo " + std::to_string(i)));
             return SaveSettings(settings, 1, FromUtf8(f.settings));
         },
         [](const Files&) { return 512LL; }},
        {"data file create",
         [](const Files& f) {
             CMainApp app;
             app.settings = DefaultSettings(96);
             app.settings.DataFile = FromUtf8(f.folder + "/new.sdf");
             int result = app.OpenDataFileAtStartup();
             CloseDataFile();
             return result == kOpenedDataFile || result == kCreatedDataFile ? 0 : result;
         },
         [](const Files&) { return 8192LL; }},
        {"edit: create",
         [](const Files& f) {
             OpenDiary diary(f);
             EditActionForm form(diary.app, diary.table(), nullptr);
             form.Open(1);
             form.CommitStartTime(u"09:00");
             form.CommitEndTime(u"10:00");
             form.CommitMemo(LongMemo(), false);
             return form.Write();
         },
         [](const Files& f) { return SizeOf(f.data); }},
        {"edit: change",
         [](const Files& f) {
             OpenDiary diary(f);
             diary.app.selectedPosition = 10;
             EditActionForm form(diary.app, diary.table(), nullptr);
             form.Open(2);
             form.CommitMemo(LongMemo(), false);
             return form.Write();
         },
         [](const Files& f) { return SizeOf(f.data); }},
        {"edit: delete",
         [](const Files& f) {
             OpenDiary diary(f);
             diary.app.selectedPosition = 10;
             EditActionForm form(diary.app, diary.table(), nullptr);
             form.Open(2);
             int r = form.Delete();
             return r == kFormListEmpty ? 0 : r;
         },
         // A delete never grows the file; not even its journal fits here.
         [](const Files&) { return 4096LL; }},
        {"recorder tap",
         [](const Files& f) {
             OpenDiary diary(f);
             RecorderChain chain(diary.app, nullptr);
             if (int r = chain.LoadOnce(); r != 0) return r;
             return chain.Record(RecorderFields{u"<現在時刻>", u"", u"", u"place", u"c1", u"c2"});
         },
         [](const Files&) { return 4096LL; }},
        {"import",
         [](const Files& f) {
             OpenDiary diary(f);
             int r = RunImportActions(ExchangeTarget{*diary.table(), diary.app.actionIndex}, FromUtf8(f.import),
                                      ExchangeLayout::Ver3, ImportMode::Add);
             return r;
         },
         [](const Files& f) { return SizeOf(f.data); }},
        {"export",
         [](const Files& f) {
             OpenDiary diary(f);
             long long n = RunExportActions(ExchangeTarget{*diary.table(), diary.app.actionIndex}, FromUtf8(f.exported),
                                            ExchangeLayout::Ver3);
             return n >= 0 ? 0 : -1;
         },
         [](const Files&) { return 4096LL; }},
        {"compaction", [](const Files& f) { return CompactDataFile(nullptr, FromUtf8(f.data)); },
         [](const Files& f) { return SizeOf(f.data) / 2; }},
        {"salvage",
         [](const Files& f) {
             SalvageResult r = RunSalvage(nullptr, FromUtf8(f.data), FromUtf8(f.folder + "/salvaged.csv"));
             return r.code;
         },
         [](const Files&) { return 4096LL; }},
    };
    return paths;
}

// Rolls back what a failed write left in a journal, as the next opener of the file does.
long long RecoverAndCount(const std::string& data) {
    sqlite3* db = nullptr;
    long long rows = -1;
    if (sqlite3_open_v2(data.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select count(*) from t_UserData", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            rows = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

enum class Fault { FullDisk, UnwritableFolder };

// Without the fault the path succeeds, so that its failure below is the fault's.
void CheckWritesWithoutFault(const WritePath& path) {
    TempDir dir;
    Files f(dir);
    PrepareFiles(f);
    SetProgramFolder(FromUtf8(f.folder + "/"));
    ChildReport report = RunInChild([&] { return path.run(f); });
    ASSERT_TRUE(report.finished && report.code == 0) << path.name << " fails without a fault: " << report.Describe();
}

void CheckWritePath(const WritePath& path, Fault fault) {
    CheckWritesWithoutFault(path);
    TempDir dir;
    Files f(dir);
    PrepareFiles(f);
    SetProgramFolder(FromUtf8(f.folder + "/"));
    auto before = FolderDigests(f.folder);
    long long limit = path.fullAt(f);
    ChildReport report = RunInChild([&] {
        if (fault == Fault::FullDisk)
            LimitFileSize(limit);
        else if (!MakeFolderUnwritable(f.folder))
            return 99;
        return path.run(f);
    });
    ASSERT_NE(report.code, 99) << "the folder could not be made unwritable";
    CountFaultCase();
    if (std::getenv("TIDEMARK_FAULT_LOG")) std::printf("%s: %s\n", path.name, report.Describe().c_str());
    EXPECT_TRUE(report.finished) << "crashed or hung: " << report.Describe();
    EXPECT_NE(report.code, 0) << "reported as done: " << report.Describe();
    EXPECT_TRUE(report.ToldFailure()) << report.Describe();
    for (const ChildMessage& m : report.messages)
        EXPECT_NE(m.flags & 0xF0u, MB_ICONINFORMATION) << "told as done: " << m.text;
    long long rows = RecoverAndCount(f.data);
    EXPECT_EQ(rows, kActions);
    if (rows >= 0 && rows < kActions) CountRowsLost(kActions - rows);
    // Every file is as it was; a failed write leaves nothing of its own behind.
    EXPECT_EQ(FolderDigests(f.folder), before) << report.Describe();
}

class FullDiskTest : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override { SetFixedClock(2010, 11, 14, 9, 0, 0); }
    void TearDown() override { SetClockSource({}); }
};

TEST_P(FullDiskTest, FailsWithItsMessageAndKeepsTheFilesOnAFullDisk) {
    CheckWritePath(WritePaths()[GetParam()], Fault::FullDisk);
}

TEST_P(FullDiskTest, FailsWithItsMessageAndKeepsTheFilesInAnUnwritableFolder) {
    if (!UnwritableFoldersAvailable()) GTEST_SKIP() << "no read-only mount here and writes pass permissions (root)";
    CheckWritePath(WritePaths()[GetParam()], Fault::UnwritableFolder);
}

std::string PathName(const ::testing::TestParamInfo<size_t>& info) {
    std::string name;
    for (char c : std::string(WritePaths()[info.param].name))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryWritePath, FullDiskTest, ::testing::Range<size_t>(0, WritePaths().size()), PathName);

} // namespace
