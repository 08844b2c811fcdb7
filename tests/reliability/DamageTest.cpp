// Damaged data files under every command that reads the action table: random bytes,
// truncation, a zeroed header, overwritten pages, a dropped table, an empty file, a
// folder in its place and a file another process holds locked, each under start-up,
// the index read, the five view fills, find, export, the recorder's read and the
// salvage tool (TIDEMARK_FAULT_LOG=1 prints what each case told). Every command either succeeds with exactly what the
// sound file gives or tells the user of a failure; none crashes or hangs, and the file stays as it was.
#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "exchange/ExportActions.h"
#include "find/SearchRun.h"
#include "recorder/RecorderChain.h"
#include "salvage/SalvageRun.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "tests/reliability/FaultSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"
#include "views/DayViewData.h"
#include "views/ListViewData.h"
#include "views/MapViewData.h"
#include "views/MonthViewData.h"
#include "views/WeekViewData.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kActions = 400;
constexpr int kPageSize = 4096;

// A sound data file with actions spread over November 2010 (each day's actions lie
// all over the table's pages) and a recorder chain of three taps; made once.
struct SoundFile {
    TempDir folder;
    std::string path = folder.file("sound.sdf");
    ActionIndex index;
};

const SoundFile& Sound() {
    static SoundFile* sound = [] {
        auto* s = new SoundFile;
        SetFixedClock(2010, 11, 14, 9, 0, 0);
        EXPECT_EQ(CreateDataFile(FromUtf8(s->path)), S_OK);
        UserDataTable& table = *OpenTables()->userData;
        ExecuteSql(OpenTables()->db, "begin");
        for (int i = 0; i < kActions; ++i) {
            char id[32], start[32], end[32];
            std::snprintf(id, sizeof id, "ID%016d", i);
            std::snprintf(start, sizeof start, "2010/11/%02d %02d:00:00", 1 + i % 28, 6 + i % 12);
            // Every tenth lasts three days, so that a day shows actions begun before it.
            std::snprintf(end, sizeof end, "2010/11/%02d %02d:30:00", 1 + i % 28 + (i % 10 == 0 ? 3 : 0), 6 + i % 12);
            ActionRecord r;
            r[ActionField::ActId] = FromUtf8(id);
            r[ActionField::StaDateTime] = FromUtf8(start);
            r[ActionField::EndDateTime] = FromUtf8(end);
            r[ActionField::Latitude] = u"35.5";
            r[ActionField::Longitude] = u"139.75";
            r[ActionField::Place] = u"place";
            r[ActionField::Memo] = FromUtf8("memo " + std::to_string(i) + " " + std::string(200, 'm'));
            EXPECT_EQ(table.InsertAction(r), S_OK);
        }
        ExecuteSql(OpenTables()->db, "commit");
        CMainApp app;
        app.settings = DefaultSettings(96);
        SetApp(&app);
        RecorderChain chain(app, nullptr);
        EXPECT_EQ(chain.LoadOnce(), 0);
        for (const char* place : {"A", "B", "C"})
            EXPECT_EQ(chain.Record(RecorderFields{u"<現在時刻>", u"", u"", FromUtf8(place), u"", u""}), kRecorderDone);
        SetApp(nullptr);
        EXPECT_EQ(RebuildActionIndex(table, s->index), S_OK);
        CloseDataFile();
        return s;
    }();
    return *sound;
}

// ---- the damage ----

void Overwrite(const std::string& path, long long at, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, at, SEEK_SET);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

long long SizeOf(const std::string& path) {
    return static_cast<long long>(std::filesystem::file_size(path));
}

struct Damage {
    const char* name;
    std::function<void(const std::string&)> apply;
    bool locked = false; // another process holds the file (the damage is the lock)
};

const std::vector<Damage>& Damages() {
    static const std::vector<Damage> damages = {
        {"random bytes", [](const std::string& p) { TempDir::WriteBytes(p, RandomBytes(size_t(SizeOf(p)), 1)); }},
        {"truncated", [](const std::string& p) { std::filesystem::resize_file(p, SizeOf(p) * 2 / 5 + 123); }},
        {"zeroed header", [](const std::string& p) { Overwrite(p, 0, std::string(100, '\0')); }},
        {"overwritten pages",
         [](const std::string& p) {
             // Every third page from the third on: table pages, the schema page kept.
             for (long long page = 2; page * kPageSize < SizeOf(p); page += 3)
                 Overwrite(p, page * kPageSize, RandomBytes(kPageSize, unsigned(page)));
         }},
        {"one overwritten page",
         [](const std::string& p) {
             long long middle = SizeOf(p) / kPageSize / 2;
             Overwrite(p, middle * kPageSize, RandomBytes(kPageSize, 7));
         }},
        {"dropped table",
         [](const std::string& p) {
             sqlite3* db = nullptr;
             sqlite3_open(p.c_str(), &db);
             sqlite3_exec(db, "drop table t_UserData", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"empty file", [](const std::string& p) { std::filesystem::resize_file(p, 0); }},
        {"folder",
         [](const std::string& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         }},
        {"locked by another process", [](const std::string&) {}, true},
    };
    return damages;
}

// A process that holds the engine's exclusive lock on the file until it is killed.
class Locker {
public:
    explicit Locker(const std::string& path) {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            sqlite3* db = nullptr;
            sqlite3_open(path.c_str(), &db);
            char ok = sqlite3_exec(db, "begin exclusive", nullptr, nullptr, nullptr) == SQLITE_OK ? '1' : '0';
            [[maybe_unused]] ssize_t n = write(ready[1], &ok, 1);
            for (;;)
                pause();
        }
        close(ready[1]);
        char ok = '0';
        [[maybe_unused]] ssize_t n = read(ready[0], &ok, 1);
        close(ready[0]);
        locked_ = ok == '1';
    }
    ~Locker() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    bool locked_ = false;
};

// ---- the commands ----

// What a command gave: whether it reported success and what it showed.
struct Outcome {
    bool ok = false;
    std::string shown;
};

std::string Ids(const ActionIndex& index) {
    std::string text;
    for (long long i = 0; i < index.count(); ++i)
        text += ToUtf8(index.IdAt(i)) + ToUtf8(index.StartAt(i)) + ";";
    return text;
}

std::string Rows(const DayViewData& data) {
    std::string text;
    for (const DayViewRow& row : data.rows)
        text += ToUtf8(row.id + u"|" + row.period + u"|" + row.place + u"|" + row.memo + u"|" + row.latitude) + ";";
    return text;
}

struct Context {
    std::string dataFile;
    std::string folder;
    ScriptedMessages& messages;
};

const ShownDate kDay{2010, 11, 15};

// Commands that work on the open file with the index read before the damage (the
// diary was running when the file was damaged, or read part of it at start-up).
struct Command {
    const char* name;
    std::function<Outcome(Context&)> run;
    bool needsOpenFile = true;
    bool comparable = true; // success must show what the sound file shows
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"start-up",
         [](Context& c) {
             CMainApp app;
             app.settings = DefaultSettings(96);
             app.settings.DataFile = FromUtf8(c.dataFile);
             int result = app.OpenDataFileAtStartup();
             CloseDataFile();
             return Outcome{result == kOpenedDataFile, Ids(app.actionIndex)};
         },
         false},
        {"index read",
         [](Context&) {
             ActionIndex index;
             HRESULT hr = RebuildActionIndexOrTell(*OpenTables()->userData, index, {}, nullptr);
             return Outcome{SUCCEEDED(hr), Ids(index)};
         }},
        {"day view",
         [](Context&) {
             DayViewData data;
             int r = LoadDayViewSingle(nullptr, *OpenTables()->userData, Sound().index, kDay, data);
             return Outcome{r == 0, Rows(data)};
         }},
        {"day view, several days",
         [](Context&) {
             DayViewData data;
             int r = LoadDayViewMulti(nullptr, *OpenTables()->userData, Sound().index, kDay, {}, data);
             return Outcome{r == 0, Rows(data)};
         }},
        {"week view",
         [](Context& c) {
             WeekData data;
             int n = DbReadWeekData(nullptr, *OpenTables()->userData, Sound().index,
                                    DateValue::FromFields(2010, 11, 14), data);
             std::string shown;
             for (const WeekEntry& e : data.entries)
                 shown += ToUtf8(e.id + u"|" + e.subject) + ";";
             // The fill tells a failed read and keeps what it read; its count does not say.
             return Outcome{n >= 0 && c.messages.count() == 0, shown};
         }},
        {"month view",
         [](Context&) {
             MonthDayList list;
             int r = LoadMonthDayList(nullptr, *OpenTables()->userData, Sound().index, kDay, 0, list);
             std::string shown;
             for (const std::u16string& line : list.lines)
                 shown += ToUtf8(line) + ";";
             return Outcome{r == 0, shown};
         }},
        {"list view",
         [](Context&) {
             ListPage page;
             int r = LoadListPage(nullptr, *OpenTables()->userData, Sound().index, 1, 50, 0, page);
             std::string shown;
             for (const std::u16string& row : page.rows)
                 shown += ToUtf8(row) + ";";
             return Outcome{r == 0, shown};
         }},
        {"map view",
         [](Context&) {
             MapPlot plot;
             MapViewData data;
             int r = LoadMapView(nullptr, *OpenTables()->userData, Sound().index, kDay, {}, plot, data);
             return Outcome{r == 0, Rows(data.list) + std::to_string(data.positions.size())};
         }},
        {"find",
         [](Context&) {
             ActionIndex index = Sound().index;
             std::u16string active;
             SearchValues values;
             values.text = u"memo 1";
             int r = RunSearch(nullptr, *OpenTables()->userData, index, values, active);
             return Outcome{r == 0, Ids(index)};
         }},
        {"export",
         [](Context& c) {
             ActionIndex index = Sound().index;
             std::string file = c.folder + "/export.csv";
             long long n =
                 ExportActions(ExchangeTarget{*OpenTables()->userData, index}, FromUtf8(file), ExchangeLayout::Ver3);
             std::string shown = FileDigest(file);
             std::filesystem::remove(file);
             return Outcome{n >= 0, shown};
         }},
        {"recorder",
         [](Context& c) {
             CMainApp app;
             app.settings = DefaultSettings(96);
             app.settings.DataFile = FromUtf8(c.dataFile);
             app.actionIndex = Sound().index;
             SetApp(&app);
             RecorderChain chain(app, nullptr);
             int r = chain.LoadOnce();
             if (r == 0) r = chain.Refill();
             SetApp(nullptr);
             std::string shown;
             for (const std::u16string& line : chain.lines())
                 shown += ToUtf8(line) + ";";
             return Outcome{r == 0, shown};
         }},
        {"salvage",
         [](Context& c) {
             // The salvage tool is a program of its own: the diary's connection is not open.
             CloseDataFile();
             for (int i = 0; i < 5; ++i)
                 c.messages.Answer(IDYES);
             std::string out = c.folder + "/salvage.csv";
             SalvageResult r = RunSalvage(nullptr, FromUtf8(c.dataFile), FromUtf8(out));
             std::filesystem::remove(out);
             std::filesystem::remove(c.folder + "/ErrFLT.csv");
             // Salvage reads what it can of a damaged file: its output is not the sound file's.
             return Outcome{r.code == 0, std::to_string(r.counts.exported)};
         },
         false, false},
    };
    return commands;
}

class DamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        alarm(120); // a hang ends the program instead of the run
    }
    void TearDown() override {
        alarm(0);
        CloseDataFile();
        SetApp(nullptr);
    }
    // What the command shows on the sound file.
    Outcome Expected(const Command& command) {
        std::string path = dir.file("expected.sdf");
        TempDir::WriteBytes(path, TempDir::ReadBytes(Sound().path));
        ScriptedMessages messages;
        Context c{path, dir.path(), messages};
        if (command.needsOpenFile) {
            EXPECT_EQ(OpenDataFile(FromUtf8(path)), S_OK);
        }
        Outcome outcome = command.run(c);
        CloseDataFile();
        EXPECT_TRUE(outcome.ok) << command.name;
        std::filesystem::remove(path);
        return outcome;
    }
    TempDir dir;
};

TEST_F(DamageTest, EveryReadingCommandTellsOrShowsTheSoundDataAndLeavesTheFileAlone) {
    SetFixedClock(2010, 11, 14, 9, 0, 0);
    std::vector<Outcome> expected;
    for (const Command& command : Commands())
        expected.push_back(Expected(command));
    int failuresTold = 0;
    for (const Damage& damage : Damages()) {
        for (size_t k = 0; k < Commands().size(); ++k) {
            const Command& command = Commands()[k];
            SCOPED_TRACE(std::string(damage.name) + " / " + command.name);
            std::string path = dir.file("user.sdf");
            std::filesystem::remove_all(path);
            TempDir::WriteBytes(path, TempDir::ReadBytes(Sound().path));
            ScriptedMessages messages;
            Context c{path, dir.path(), messages};
            damage.apply(path);
            std::string before = FileDigest(path);
            // The diary had the file open before another process took its lock.
            bool opened = !command.needsOpenFile || SUCCEEDED(OpenDataFile(FromUtf8(path)));
            std::unique_ptr<Locker> locker;
            if (damage.locked) {
                locker = std::make_unique<Locker>(path);
                ASSERT_TRUE(locker->locked());
                // The wait for a lock is the engine's; a short one keeps the run fast.
                if (OpenTables()) sqlite3_busy_timeout(OpenTables()->db, 100);
            }
            if (!opened) {
                if (std::getenv("TIDEMARK_FAULT_LOG"))
                    std::printf("%s / %s: does not open\n", damage.name, command.name);
                // The program never gets this far: start-up told the user and ended.
                EXPECT_TRUE(messages.count() > 0);
                continue;
            }
            messages.Clear();
            Outcome outcome = command.run(c);
            CloseDataFile();
            locker.reset();
            CountFaultCase();
            if (std::getenv("TIDEMARK_FAULT_LOG"))
                std::printf("%s / %s: %s%s\n", damage.name, command.name, outcome.ok ? "ok" : "failed",
                            messages.count() ? (" — " + ToUtf8(messages.shown().front().caption + u": " +
                                                               messages.shown().front().text))
                                                   .c_str()
                                             : "");
            std::vector<std::string> shown;
            for (const ShownMessage& m : messages.shown())
                shown.push_back(ToUtf8(m.caption + u": " + m.text));
            if (outcome.ok) {
                if (command.comparable) {
                    EXPECT_EQ(outcome.shown, expected[k].shown) << "success with other data";
                }
            } else {
                ++failuresTold;
                EXPECT_FALSE(shown.empty()) << "a failure without a message";
                bool stop = false;
                for (const ShownMessage& m : messages.shown())
                    stop = stop || (m.flags & MB_ICONMASK) == MB_ICONSTOP ||
                           (m.flags & MB_ICONMASK) == MB_ICONEXCLAMATION || m.caption == u"ERROR" ||
                           m.caption == u"Error";
                EXPECT_TRUE(stop || shown.empty()) << shown.front();
            }
            EXPECT_EQ(FileDigest(path), before) << "the damaged file was changed";
            EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
        }
    }
    // The damage is found, not read past: most cases end in a told failure.
    EXPECT_GT(failuresTold, 40);
}

} // namespace
