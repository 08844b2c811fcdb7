// Two processes on one data file: another process (a second TideLog or any other
// program) writes while this one writes, reads and imports. Short writes of the other
// side are waited for; a file kept busy beyond the wait fails with the documented
// failure and message. No write that returned success is lost, and the file passes the
// engine's integrity check afterwards.
#include "app/MainApp.h"
#include "app/Settings.h"
#include "core/Clock.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "exchange/ImportActions.h"
#include "recorder/RecorderChain.h"
#include "salvage/SalvageRun.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "tests/support/SqlValue.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string out = "<none>";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        out = FirstValue(db, sql);
    }
    sqlite3_close(db);
    return out;
}

ActionRecord Action(const std::string& id, int day) {
    ActionRecord r;
    char start[32];
    std::snprintf(start, sizeof start, "2010/11/%02d 09:00:00", 1 + day % 28);
    r[ActionField::ActId] = FromUtf8(id);
    r[ActionField::StaDateTime] = FromUtf8(start);
    r[ActionField::EndDateTime] = FromUtf8(std::string(start).replace(11, 2, "10"));
    r[ActionField::Memo] = u"first";
    return r;
}

std::string Id(int side, int n) {
    char id[32];
    std::snprintf(id, sizeof id, "ID%d%015d", side, n);
    return id;
}

// A child process; one pipe carries one line per write it saw succeed, and "go" once
// it holds what the parent must wait behind; the other tells it to let go.
struct Child {
    pid_t pid = -1;
    int fromChild = -1;
    int toChild = -1;

    // body(out, in): out is the child's end of the first pipe, in that of the second.
    template <typename Body> void Start(Body body) {
        int up[2], down[2];
        ASSERT_EQ(pipe(up), 0);
        ASSERT_EQ(pipe(down), 0);
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(up[0]), close(down[1]);
            body(up[1], down[0]);
            _exit(0);
        }
        close(up[1]), close(down[0]);
        fromChild = up[0], toChild = down[1];
    }
    // Lets a child that holds until told go on.
    void Release() { [[maybe_unused]] ssize_t n = write(toChild, "\n", 1); }
    // The next line from the child ("" at its end).
    std::string Line() {
        std::string line;
        char c;
        while (read(fromChild, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    // Waits for the child; its lines up to its end.
    std::set<std::string> Finish() {
        std::set<std::string> lines;
        for (std::string line; !(line = Line()).empty();)
            lines.insert(line);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        close(fromChild), close(toChild);
        return lines;
    }
};

void Tell(int fd, const std::string& line) {
    std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = write(fd, text.data(), text.size());
}

// Waits holdMs, or with kUntilReleased until the parent lets go.
constexpr int kUntilReleased = -1;
void Hold(int holdMs, int in) {
    char c;
    if (holdMs == kUntilReleased) [[maybe_unused]]
        ssize_t n = read(in, &c, 1);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
}

// Another program: its own connection, a write transaction held for a while.
void HoldWriteLock(const std::string& path, const char* begin, int holdMs, int fd, int in) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) _exit(2);
    sqlite3_busy_timeout(db, 5000);
    std::string insert = "insert into t_UserData (f_nchActId, f_nchStaDateTime, f_nchEndDateTime) values ('" +
                         Id(9, 1) + "', '2010/11/20 09:00:00', '2010/11/20 10:00:00')";
    if (sqlite3_exec(db, begin, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        _exit(3);
    Tell(fd, "go");
    Hold(holdMs, in);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) _exit(4);
    Tell(fd, Id(9, 1));
    sqlite3_close(db);
}

// Another program in the middle of a large write: more rows than its page cache holds,
// so pages of the unfinished transaction are already in the data file (their old
// contents in its journal). It is rolled back when the parent lets go.
void HoldSpilledWrite(const std::string& path, int fd, int in) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) _exit(2);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA cache_size = 10", nullptr, nullptr, nullptr);
    std::string recursive = "with recursive n(value) as (select 1 union all select value + 1 from n where value < "
                            "2000) insert into t_UserData (f_nchActId, f_nchStaDateTime, f_nchEndDateTime, f_nvcMemo) "
                            "select printf('ID5%015d', value), '2010/11/21 09:00:00', '2010/11/21 10:00:00', "
                            "hex(zeroblob(200)) from n";
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, recursive.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        _exit(3);
    Tell(fd, "go");
    Hold(kUntilReleased, in);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The diary as the recorder sees it: the data file open, the index read, the chain
// loaded. Opened after any fork, so that no connection crosses one.
struct RecorderSide {
    explicit RecorderSide(const std::string& data) {
        app.settings = DefaultSettings(96);
        app.settings.DataFile = FromUtf8(data);
        opened = SUCCEEDED(OpenDataFile(app.settings.DataFile)) &&
                 SUCCEEDED(RebuildActionIndex(*OpenTables()->userData, app.actionIndex)) && chain.LoadOnce() == 0;
        SetApp(&app);
    }
    ~RecorderSide() {
        SetApp(nullptr);
        CloseDataFile();
    }
    int Tap(const char16_t* place) { return chain.Record({kCurrentTimePlaceholder, u"", u"", place, u"c1", u"c2"}); }
    CMainApp app;
    RecorderChain chain{app, nullptr};
    bool opened = false;
};

class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedClock(2010, 11, 14, 9, 5, 3);
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        data = dir.file("user.sdf");
        ASSERT_EQ(CreateDataFile(FromUtf8(data)), S_OK);
        // No connection may cross a fork: the children start with none open.
        CloseDataFile();
    }
    void TearDown() override {
        CloseDataFile();
        EXPECT_EQ(Query(data, "PRAGMA integrity_check"), "ok");
    }
    bool Stored(const std::string& id) {
        return Query(data, "select count(*) from t_UserData where f_nchActId = '" + id + "'") == "1";
    }
    TempDir dir;
    std::string data;
    ScriptedMessages messages;
};

} // namespace

// Both sides insert and update at once, the other side in short transactions: every
// write waits for the other's and succeeds, and all of them are in the file.
TEST_F(ConcurrencyTest, TwoWritersLoseNothing) {
    constexpr int kWrites = 40;
    Child child;
    child.Start([&](int fd, int) {
        if (FAILED(OpenDataFile(FromUtf8(data)))) _exit(2);
        sqlite3* db = OpenTables()->db;
        for (int i = 0; i < kWrites; ++i) {
            ActionRecord r = Action(Id(7, i), i);
            bool ok =
                SUCCEEDED(ExecuteSql(db, "BEGIN IMMEDIATE")) && SUCCEEDED(OpenTables()->userData->InsertAction(r));
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the parent runs into the lock
            if (ok && SUCCEEDED(ExecuteSql(db, "COMMIT")))
                Tell(fd, Id(7, i));
            else
                ExecuteSql(db, "ROLLBACK");
        }
        CloseDataFile();
    });
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    UserDataTable& table = *OpenTables()->userData;
    ActionIndex index;
    std::set<std::string> mine;
    for (int i = 0; i < kWrites; ++i) {
        ActionRecord r = Action(Id(8, i), i);
        if (table.InsertAction(r) == S_OK) mine.insert(Id(8, i));
        r[ActionField::Memo] = u"updated";
        EXPECT_EQ(table.UpdateAction(r), S_OK) << i;
        EXPECT_EQ(RebuildActionIndex(table, index), S_OK) << i;
    }
    CloseDataFile();
    std::set<std::string> theirs = child.Finish();
    EXPECT_EQ(mine.size(), static_cast<size_t>(kWrites));
    EXPECT_EQ(theirs.size(), static_cast<size_t>(kWrites));
    for (const auto& id : mine)
        EXPECT_TRUE(Stored(id)) << id;
    for (const auto& id : theirs)
        EXPECT_TRUE(Stored(id)) << id;
    EXPECT_EQ(Query(data, "select count(*) from t_UserData where f_nvcMemo = 'updated'"), std::to_string(kWrites));
    EXPECT_EQ(Query(data, "select count(*) from t_UserData"), std::to_string(2 * kWrites));
    EXPECT_TRUE(messages.shown().empty());
}

// An import that starts while another program writes waits for it instead of failing
// at its first row: its batch takes the write lock when it begins.
TEST_F(ConcurrencyTest, ImportWaitsForAnotherWriter) {
    std::string file = dir.file("in.txt");
    std::string bytes = "ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                        "Category1\tCategory2\tMemo\tExtItems\r\n";
    for (int i = 0; i < 200; ++i)
        bytes += Id(6, i) + "\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t\t\tsubject\t\t\t\t\"memo\"\t\r\n";
    TempDir::WriteBytes(file, bytes);
    Child child;
    child.Start([&](int fd, int in) { HoldWriteLock(data, "BEGIN IMMEDIATE", 500, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    ActionIndex index;
    EXPECT_EQ(ImportActions(ExchangeTarget{*OpenTables()->userData, index}, FromUtf8(file), ExchangeLayout::Ver3,
                            ImportMode::Replace),
              ImportResult::Done);
    EXPECT_TRUE(messages.shown().empty()) << ToUtf8(messages.last().text);
    EXPECT_EQ(index.count(), 201);
    CloseDataFile();
    EXPECT_EQ(child.Finish(), std::set<std::string>{Id(9, 1)});
    EXPECT_EQ(Query(data, "select count(*) from t_UserData"), "201");
}

// A file another program keeps locked beyond the wait (opening waits twice, for the
// journal mode and for the schema): opening it tells the user it is in use. Once the
// lock is gone it opens and takes writes; the other program's write is kept.
TEST_F(ConcurrencyTest, FileKeptBusyFailsClearly) {
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    CloseDataFile(); // read the schema once, as a running program has
    Child child;
    child.Start([&](int fd, int in) { HoldWriteLock(data, "BEGIN EXCLUSIVE", kUntilReleased, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    auto began = Clock::now();
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), HResultFromSqlite(SQLITE_BUSY));
    EXPECT_GE(Clock::now() - began, std::chrono::milliseconds(1500)); // the busy wait ran
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_NE(messages.last().text.find(u"他のプログラムが使用中です。"), std::u16string::npos)
        << ToUtf8(messages.last().text);
    EXPECT_EQ(OpenTables(), nullptr);
    child.Release();
    std::set<std::string> theirs = child.Finish();
    EXPECT_EQ(theirs, std::set<std::string>{Id(9, 1)});
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    ActionRecord r = Action(Id(8, 1), 1);
    EXPECT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    CloseDataFile();
    EXPECT_TRUE(Stored(Id(9, 1)));
    EXPECT_TRUE(Stored(Id(8, 1)));
}

// The same with the file already open: a write and a read fail as busy, the write
// leaves nothing behind, and both succeed once the other program is done.
TEST_F(ConcurrencyTest, WriteIntoBusyFileFailsAndLaterSucceeds) {
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    UserDataTable& table = *OpenTables()->userData;
    Child child;
    child.Start([&](int fd, int in) { HoldWriteLock(data, "BEGIN EXCLUSIVE", kUntilReleased, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    ActionRecord r = Action(Id(8, 2), 2);
    HRESULT hr = table.InsertAction(r);
    EXPECT_EQ(hr & 0xFF, SQLITE_BUSY) << std::hex << hr;
    EXPECT_TRUE(FAILED(hr));
    child.Release();
    EXPECT_EQ(child.Finish(), std::set<std::string>{Id(9, 1)});
    ActionIndex index;
    EXPECT_EQ(RebuildActionIndex(table, index), S_OK);
    EXPECT_EQ(index.count(), 1); // the other program's row; the failed insert left nothing
    EXPECT_EQ(table.InsertAction(r), S_OK);
    CloseDataFile();
    EXPECT_TRUE(Stored(Id(8, 2)));
    EXPECT_TRUE(Stored(Id(9, 1)));
}

// The salvage tool run while TideLog is in the middle of a large write: it must not
// copy the data file half written (rows of an unfinished write, or damage), but wait
// and then tell that the file is in use. Once the write is gone it takes exactly the
// committed rows.
TEST_F(ConcurrencyTest, SalvageDoesNotCopyAnUnfinishedWrite) {
    ASSERT_EQ(OpenDataFile(FromUtf8(data)), S_OK);
    for (int i = 0; i < 10; ++i) {
        ActionRecord r = Action(Id(8, i), i);
        ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    }
    CloseDataFile();
    std::string exported = dir.file("out/salvage.txt");
    ASSERT_EQ(CreateFolderPath(FromUtf8(dir.file("out"))), 0);
    Child child;
    child.Start([&](int fd, int in) { HoldSpilledWrite(data, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    // The unfinished write is in the data file already, its old pages in the journal.
    ASSERT_TRUE(std::filesystem::exists(data + "-journal"));
    messages.Answer(IDYES);
    SalvageResult during = RunSalvage(nullptr, FromUtf8(data), FromUtf8(exported));
    EXPECT_EQ(during.code, -2);
    EXPECT_EQ(during.counts.exported, 0);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_NE(messages.last().text.find(u"他のプログラムで使用中です。"), std::u16string::npos)
        << ToUtf8(messages.last().text);
    child.Release();
    child.Finish();
    messages.Clear();
    messages.Answer(IDYES);
    SalvageResult after = RunSalvage(nullptr, FromUtf8(data), FromUtf8(exported));
    EXPECT_EQ(after.code, 0);
    EXPECT_EQ(after.counts.exported, 10);
    EXPECT_EQ(after.counts.errors, 0);
}

// A recorder tap while another program writes: the tap first reads the open action,
// so a batch that took the write lock only at its first write failed at once as busy
// ("レコード更新エラー"). It waits for the other program instead, and every write of both
// sides is kept: the closed action, the new one and the other program's row.
TEST_F(ConcurrencyTest, RecorderTapWaitsForAnotherWriter) {
    std::string closed, opened;
    {
        RecorderSide first(data);
        ASSERT_TRUE(first.opened);
        ASSERT_EQ(first.Tap(u"home"), kRecorderDone);
        closed = ToUtf8(first.app.recorder.preActId);
    }
    Child child;
    child.Start([&](int fd, int in) { HoldWriteLock(data, "BEGIN IMMEDIATE", 500, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    {
        RecorderSide side(data);
        ASSERT_TRUE(side.opened);
        EXPECT_EQ(side.Tap(u"office"), kRecorderDone);
        EXPECT_TRUE(messages.shown().empty()) << ToUtf8(messages.last().text);
        EXPECT_EQ(side.app.recorder.history.ids.size(), 2u);
        EXPECT_EQ(side.chain.lines().size(), 2u);
        opened = ToUtf8(side.app.recorder.preActId);
    }
    EXPECT_EQ(child.Finish(), std::set<std::string>{Id(9, 1)});
    EXPECT_EQ(Query(data, "select count(*) from t_UserData"), "3");
    EXPECT_EQ(Query(data, "select f_nvcPlace from t_UserData where f_nchActId = '" + closed + "'"), "home－＞office");
    EXPECT_EQ(Query(data, "select f_nvcPlace from t_UserData where f_nchActId = '" + opened + "'"), "office");
}

// A file another program keeps locked beyond the wait: the tap changes nothing and
// tells the write failure once (not a read failure of the open action). Once the lock
// is gone the same tap goes through.
TEST_F(ConcurrencyTest, RecorderTapIntoBusyFileChangesNothing) {
    RecorderSide side(data);
    ASSERT_TRUE(side.opened);
    ASSERT_EQ(side.Tap(u"home"), kRecorderDone);
    const std::u16string open = side.app.recorder.preActId;
    Child child;
    child.Start([&](int fd, int in) { HoldWriteLock(data, "BEGIN EXCLUSIVE", kUntilReleased, fd, in); });
    ASSERT_EQ(child.Line(), "go");
    EXPECT_EQ(side.Tap(u"office"), kRecorderStateFailed);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, FromUtf8("レコーダーデータ書込みに時にエラー発生。(80041005)"));
    EXPECT_EQ(messages.last().caption, u"レコーダー書込みエラー");
    EXPECT_EQ(side.app.recorder.preActId, open);
    EXPECT_EQ(side.app.recorder.history.ids.size(), 1u);
    child.Release();
    EXPECT_EQ(child.Finish(), std::set<std::string>{Id(9, 1)});
    messages.Clear();
    EXPECT_EQ(side.Tap(u"office"), kRecorderDone);
    EXPECT_TRUE(messages.shown().empty()) << ToUtf8(messages.last().text);
    EXPECT_EQ(side.app.recorder.history.ids.size(), 2u);
    CloseDataFile();
    EXPECT_EQ(Query(data, "select count(*) from t_UserData"), "3");
}
