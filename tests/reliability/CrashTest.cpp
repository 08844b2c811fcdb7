// Crash safety: a child process writes to real files (imports, edits, recorder taps,
// settings saves, compaction) and is killed with SIGKILL at random moments (fixed seed; set
// TIDEMARK_KILLS for more kills). Afterwards the data file passes the engine's
// integrity check, opens, the index equals the table, and every write the child saw
// succeed is there; a settings file is the old or the new one, never a mix.
#include "app/MainApp.h"
#include "app/Settings.h"
#include "core/Clock.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "exchange/ImportActions.h"
#include "recorder/RecorderChain.h"
#include "store/ActionIndex.h"
#include "store/Compaction.h"
#include "store/DataFileTables.h"
#include "tests/reliability/FaultSupport.h"
#include "tests/support/SqlValue.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int Kills() {
    const char* more = std::getenv("TIDEMARK_KILLS");
    int n = more ? std::atoi(more) : 0;
    return n > 0 ? n : 20;
}

std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string out = "<none>";
    // Read-write, so that a hot journal left by the kill is rolled back, as any opener does.
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) out = FirstValue(db, sql);
    sqlite3_close(db);
    return out;
}

// Answers every question with yes; the child has no one to ask.
class YesToAll : public MessagePresenter {
public:
    int Show(WindowHandle, std::u16string_view, std::u16string_view, unsigned flags) override {
        unsigned type = flags & MB_TYPEMASK;
        return type == MB_YESNO || type == MB_YESNOCANCEL ? IDYES : IDOK;
    }
};

// Appends one line per completed write; a line is one write() so a kill never splits it.
void Log(int fd, const std::string& line) {
    std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = write(fd, text.data(), text.size());
}

// The write end of the pipe on which a child says it is ready (-1: nobody waits).
int g_readyFd = -1;

// In the child: the file is open and the writes begin; the kill delay counts from here.
void SignalReady() {
    char one = 1;
    if (g_readyFd >= 0) {
        [[maybe_unused]] ssize_t n = write(g_readyFd, &one, 1);
    }
}

// Runs body in a child process and kills it after delay (counted from its SignalReady
// when waitReady is set, so a slow start on a busy machine still leaves time to write);
// returns once it is gone.
template <typename Body> void RunAndKill(std::chrono::milliseconds delay, Body body, bool waitReady = false) {
    int ready[2] = {-1, -1};
    if (waitReady) {
        ASSERT_EQ(pipe(ready), 0);
    }
    pid_t pid = fork();
    if (pid == 0) {
        if (waitReady) close(ready[0]);
        g_readyFd = ready[1];
        body();
        _exit(0);
    }
    ASSERT_GT(pid, 0);
    if (waitReady) {
        close(ready[1]);
        pollfd p{ready[0], POLLIN, 0};
        poll(&p, 1, 30000);
        close(ready[0]);
    }
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    // Killed, not ended on its own: a child that failed early would test nothing.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child status " << status;
    CountKill();
}

std::string ImportFile(const std::string& path, int rows) {
    std::string bytes = "ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                        "Category1\tCategory2\tMemo\tExtItems\r\n";
    char line[256];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(line, sizeof line,
                      "ID90%014d\t2010/11/14 09:05:03\t2010/11/%02d 09:00:00\t2010/11/%02d 10:00:00\t35.5\t139.75\t"
                      "subject %d\tplace\tc1\tc2\t\"memo %d\"\t\r\n",
                      i, 1 + i % 28, 1 + i % 28, i, i);
        bytes += line;
    }
    TempDir::WriteBytes(path, bytes);
    return path;
}

class CrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        data = dir.file("user.sdf");
        ASSERT_EQ(CreateDataFile(FromUtf8(data)), S_OK);
        CloseDataFile();
    }
    void TearDown() override { CloseDataFile(); }
    TempDir dir;
    std::string data;
    std::mt19937 random{20261209};
};

// The child's work: single inserts, updates, deletes and recorder taps, then a
// replace-mode import of the same 3,000 rows, over and over; each write is logged once
// it returned success.
void WriteUntilKilled(const std::string& data, const std::string& importFile, const std::string& log, int round) {
    YesToAll yes;
    SetMessagePresenter(&yes);
    int fd = open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (FAILED(OpenDataFile(FromUtf8(data)))) _exit(2);
    UserDataTable& table = *OpenTables()->userData;
    CMainApp app;
    app.settings = DefaultSettings(96);
    app.settings.DataFile = FromUtf8(data);
    SetApp(&app);
    ActionIndex& index = app.actionIndex;
    if (FAILED(RebuildActionIndex(table, index))) _exit(3);
    RecorderChain recorder(app, nullptr);
    if (recorder.LoadOnce() != 0) _exit(4);
    SignalReady();
    for (int step = 0;; ++step) {
        for (int i = 0; i < 20; ++i) {
            ActionRecord r;
            r[ActionField::StaDateTime] = u"2010/12/01 08:00:00";
            r[ActionField::EndDateTime] = u"2010/12/01 09:00:00";
            r[ActionField::Memo] = FromUtf8("insert " + std::to_string(round) + "/" + std::to_string(step));
            // Identifiers never repeat across rounds, so a line always means one action.
            char id[32];
            std::snprintf(id, sizeof id, "ID8%03d%06d%06d", round % 1000, step % 1000000, i);
            r[ActionField::ActId] = FromUtf8(id);
            if (table.InsertAction(r) == S_OK) Log(fd, "I " + ToUtf8(*r[ActionField::ActId]));
            if (i % 3 == 0) {
                r[ActionField::Memo] = FromUtf8("update " + std::to_string(step) + "-" + std::to_string(i));
                if (table.UpdateAction(r) == S_OK)
                    Log(fd, "U " + ToUtf8(*r[ActionField::ActId]) + " " + ToUtf8(*r[ActionField::Memo]));
            }
            if (i % 5 == 0) {
                // A kill between the delete and its line leaves either state possible.
                Log(fd, "d " + ToUtf8(*r[ActionField::ActId]));
                if (table.DeleteAction(*r[ActionField::ActId]) == S_OK) Log(fd, "D " + ToUtf8(*r[ActionField::ActId]));
            }
            if (i % 4 == 1) {
                // A tap closes the open action and opens a new one, history and items in one go.
                RecorderFields fields{u"<現在時刻>", u"", u"", FromUtf8("place " + std::to_string(i)), u"c1", u"c2"};
                if (recorder.Record(fields) == kRecorderDone) Log(fd, "R " + ToUtf8(app.recorder.preActId));
            }
        }
        if (ImportActions(ExchangeTarget{table, index}, FromUtf8(importFile), ExchangeLayout::Ver3, ImportMode::Replace,
                          ImportTuning{1000}) == ImportResult::Done)
            Log(fd, "import");
    }
}

} // namespace

TEST_F(CrashTest, ImportsAndEditsSurviveSigkill) {
    std::string importFile = ImportFile(dir.file("in.csv"), 3000);
    std::string log = dir.file("writes.log");
    std::uniform_int_distribution<int> delay(30, 600);
    int kills = Kills();
    for (int round = 0; round < kills; ++round) {
        SCOPED_TRACE(round);
        RunAndKill(
            std::chrono::milliseconds(delay(random)), [&] { WriteUntilKilled(data, importFile, log, round); }, true);
        ASSERT_EQ(Query(data, "PRAGMA integrity_check"), "ok");
        ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
        ASSERT_EQ(CheckAndUpgradeFormat(), 0);
        ActionIndex index;
        ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, index), S_OK);
        CloseDataFile();
        EXPECT_EQ(std::to_string(index.count()), Query(data, "select count(*) from t_UserData"));
        // No half-written row: every row has its identifier, start and end.
        EXPECT_EQ(Query(data, "select count(*) from t_UserData where length(f_nchActId) <> 18 or "
                              "f_nchStaDateTime is null or f_nchEndDateTime is null"),
                  "0");
    }
    // Every write the child saw succeed is in the file, in its last state.
    std::ifstream in(log);
    std::map<std::string, std::string> memo; // identifier -> memo, "" when deleted
    bool imported = false;
    std::vector<std::string> taps;
    std::string kind, id, rest;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        words >> kind >> id;
        std::getline(words >> std::ws, rest);
        if (kind == "import") imported = true;
        if (kind == "I") memo[id] = "<inserted>";
        if (kind == "U") memo[id] = rest;
        if (kind == "D") memo[id] = "";
        if (kind == "d") memo[id] = "<deleting>";
        if (kind == "R") taps.push_back(id);
    }
    EXPECT_GT(memo.size(), 0u);
    for (const auto& [action, last] : memo) {
        if (last == "<deleting>") continue;
        std::string stored = Query(data, "select f_nvcMemo from t_UserData where f_nchActId = '" + action + "'");
        if (last.empty()) {
            EXPECT_EQ(stored, "<none>") << action << " was deleted";
        } else if (last != "<inserted>") {
            EXPECT_EQ(stored, last) << action;
        } else {
            EXPECT_NE(stored, "<none>") << action << " was inserted";
        }
        if (!last.empty() && stored == "<none>") CountRowsLost(1);
    }
    // Every tap that succeeded left its action and its history row.
    EXPECT_GT(taps.size(), 0u);
    for (const std::string& tap : taps) {
        std::string count = Query(data, "select count(*) from t_UserData where f_nchActId = '" + tap + "'");
        EXPECT_EQ(count, "1") << tap;
        if (count != "1") CountRowsLost(1);
        // Its history row lies within the count the next run reads.
        EXPECT_EQ(Query(data, "select count(*) from t_RcdrData where f_nchActId = '" + tap +
                                  "' and f_i4SNo < (select f_i4Value from t_LongData where f_nvcItem = 'RcdrHistNum')"),
                  "1")
            << tap;
    }
    if (imported) {
        EXPECT_EQ(Query(data, "select count(*) from t_UserData where f_nchActId like 'ID90%'"), "3000");
    }
}

// Saves of two different settings: the file is always one of them, whole.
TEST_F(CrashTest, SettingsSavesAreOldOrNewNeverPartial) {
    AppSettings a = DefaultSettings(96), b = DefaultSettings(96);
    FillDefaultLists(a.lists);
    b.StartupMode = 2;
    for (int i = 0; i < 500; ++i)
        b.lists.Memo.push_back(FromUtf8("memo entry " + std::to_string(i)));
    std::u16string path = dir.file16("TideLog.dat");
    ASSERT_EQ(SaveSettings(b, 1, path), 0);
    std::string bytesB = TempDir::ReadBytes(dir.file("TideLog.dat"));
    ASSERT_EQ(SaveSettings(a, 1, path), 0);
    std::string bytesA = TempDir::ReadBytes(dir.file("TideLog.dat"));
    std::uniform_int_distribution<int> delay(5, 80);
    for (int round = 0; round < Kills(); ++round) {
        RunAndKill(std::chrono::milliseconds(delay(random)), [&] {
            for (int i = 0;; ++i)
                SaveSettings(i % 2 ? a : b, 1, path);
        });
        std::string now = TempDir::ReadBytes(dir.file("TideLog.dat"));
        EXPECT_TRUE(now == bytesA || now == bytesB) << "round " << round << ", " << now.size() << " bytes";
    }
}

// Compaction killed at any step leaves the data file (old or compacted) whole.
TEST_F(CrashTest, CompactionLeavesTheDataFileWhole) {
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    for (int i = 0; i < 300; ++i) {
        ActionRecord r;
        r[ActionField::StaDateTime] = u"2010/11/14 09:00:00";
        r[ActionField::EndDateTime] = u"2010/11/14 10:00:00";
        r[ActionField::Memo] = std::u16string(400, u'x');
        ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    }
    CloseDataFile();
    std::uniform_int_distribution<int> delay(5, 150);
    for (int round = 0; round < Kills(); ++round) {
        SCOPED_TRACE(round);
        RunAndKill(std::chrono::milliseconds(delay(random)), [&] {
            YesToAll yes;
            SetMessagePresenter(&yes);
            for (;;)
                CompactDataFile(nullptr, FromUtf8(data));
        });
        ASSERT_TRUE(std::filesystem::is_regular_file(data));
        ASSERT_EQ(Query(data, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(Query(data, "select count(*) from t_UserData"), "300");
        // Copies left by a kill are the user's to delete; they never replace the file.
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().starts_with("$$TmpFLT")) std::filesystem::remove(entry.path());
    }
}
