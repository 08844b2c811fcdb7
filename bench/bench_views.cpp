// The views at scale: loading a day of 50 actions in both modes from files of 10,000
// and 1,000,000 actions, filling the window with them, and a whole start-up (settings,
// data file, action index, main window) to a shown day view; the week view with 300
// actions, the month view with 900 and one list page, each read alone and filled and
// painted in the window.
// The data files are made once and kept in TIDEMARK_BENCH_DATA (default
// /tmp/tidemark-bench).
#include <benchmark/benchmark.h>

#include "bench/BenchQtApp.h"

#include "app/MainApp.h"
#include "bench/BenchData.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "views/DayViewData.h"
#include "views/ListViewData.h"
#include "views/MainWnd.h"
#include "views/MonthViewData.h"
#include "views/WeekViewData.h"

#include <QApplication>
#include <QFont>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

const ShownDate kDay{2010, 11, 14};

std::string Folder() {
    return BenchFolder("/tmp/tidemark-bench");
}

void InsertAction(sqlite3_stmt* insert, long i, int y, int m, int d, int h, int mi, int ey, int em, int ed, int eh,
                  int emi) {
    std::string id = ToUtf8(FormatText("ID%04d%02d%02d%02d%02d%02d%02d", y, m, d, h, mi, 0, static_cast<int>(i % 100)));
    std::string start = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:00", y, m, d, h, mi));
    std::string end = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:00", ey, em, ed, eh, emi));
    InsertRow(insert, {id.c_str(), start.c_str(), end.c_str()});
}

// Actions spread over 2001 … 2020, up to three hours long, one in a thousand lasting
// two days; the benchmark day 2010/11/14 holds exactly 50 actions.
void FillDayView(sqlite3_stmt* insert, long rows) {
    SeedRandom(1);
    long filler = rows - 50;
    for (long i = 0; i < filler; ++i) {
        int y = 2001 + static_cast<int>(i * 20 / filler), m = 1 + NextRandom() % 12, d = 1 + NextRandom() % 28;
        if (y == 2010 && m == 11 && d == 14) d = 15;
        int h = NextRandom() % 21, mi = NextRandom() % 60;
        if (i % 1000 == 0)
            InsertAction(insert, i, y, m, d, h, mi, y, m, d + 2 > 28 ? 28 : d + 2, h, mi);
        else
            InsertAction(insert, i, y, m, d, h, mi, y, m, d, h + NextRandom() % 3, mi);
    }
    for (long i = 0; i < 50; ++i) {
        int minutes = static_cast<int>(i) * 28;
        InsertAction(insert, filler + i, 2010, 11, 14, minutes / 60, minutes % 60, 2010, 11, 14, minutes / 60, 59);
    }
}

std::string DataFile(long rows) {
    const char* insertSql = "insert into t_UserData values (?1, '2010-11-14 09:00:00', ?2, ?3, 35.5, 139.7, "
                            "'subject', 'place', 'c1', 'c2', 'memo text of a usual length', '')";
    return CachedDataFile(Folder() + "/dayview" + std::to_string(rows) + ".sdf", insertSql,
                          [rows](sqlite3_stmt* insert) { FillDayView(insert, rows); });
}

struct OpenFile {
    explicit OpenFile(long rows) {
        OpenDataFile(FromUtf8(DataFile(rows)));
        RebuildActionIndex(*OpenTables()->userData, index);
        OpenTables()->userData->LongestActionSeconds();
    }
    ~OpenFile() { CloseDataFile(); }
    ActionIndex index;
};

void BM_DayViewSingle(benchmark::State& state) {
    OpenFile file(state.range(0));
    DayViewData data;
    for (auto _ : state) {
        LoadDayViewSingle(nullptr, *OpenTables()->userData, file.index, kDay, data);
        benchmark::DoNotOptimize(data.rows.size());
    }
    state.counters["rows"] = static_cast<double>(data.rows.size());
}

void BM_DayViewMulti(benchmark::State& state) {
    OpenFile file(state.range(0));
    DayViewData data;
    for (auto _ : state) {
        LoadDayViewMulti(nullptr, *OpenTables()->userData, file.index, kDay, u"", data);
        benchmark::DoNotOptimize(data.rows.size());
    }
    state.counters["rows"] = static_cast<double>(data.rows.size());
}

// The same query without the lower bound on the start: what the design's text costs.
void BM_DayViewMultiUnbounded(benchmark::State& state) {
    OpenFile file(state.range(0));
    UserDataTable& table = *OpenTables()->userData;
    for (auto _ : state) {
        table.OpenQuery(u"select * from t_UserData where f_nchStaDateTime < ? and f_nchEndDateTime >= ? order by "
                        u"f_nchStaDateTime asc",
                        {"f_nchActId"}, {u"2010/11/14 24:00:00", u"2010/11/14 00:00:00"});
        std::vector<OptText> row;
        long n = 0;
        while (table.ReadNextRow(row) == S_OK)
            ++n;
        table.CloseQuery();
        benchmark::DoNotOptimize(n);
    }
}

// Loading and putting the rows into the window's list control.
void BM_DayViewWindowFill(benchmark::State& state) {
    std::string dir = Folder() + "/window" + std::to_string(state.range(0));
    std::filesystem::create_directories(dir);
    SetProgramFolder(FromUtf8(dir + "/"));
    OpenFile file(state.range(0));
    CMainApp app;
    app.settings = DefaultSettings(ProgramDpi());
    app.actionIndex = file.index;
    app.shownDate = kDay;
    CMainWnd window(app);
    window.show();
    window.Start(1, static_cast<int>(state.range(1)));
    for (auto _ : state)
        window.RefillView();
}

// From an empty application object to the shown day view of a file's day.
void BM_Startup(benchmark::State& state) {
    std::string data = DataFile(state.range(0));
    std::string dir = Folder() + "/startup" + std::to_string(state.range(0));
    std::filesystem::create_directories(dir);
    std::string settings = "[System]\r\nVersion:3.2.2010.1114\r\nDataFile:" + data + "\r\n\r\n";
    std::FILE* f = std::fopen((dir + "/TideLog.dat").c_str(), "wb");
    std::fwrite(settings.data(), 1, settings.size(), f);
    std::fclose(f);
    SetProgramFolder(FromUtf8(dir + "/"));
    for (auto _ : state) {
        auto app = std::make_unique<CMainApp>();
        app->LoadSettings(ProgramDpi());
        app->OpenDataFileAtStartup();
        app->shownDate = kDay;
        CMainWnd window(*app);
        window.Start(1, 1);
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(app->actionIndex.count());
        state.PauseTiming();
        CloseDataFile();
        state.ResumeTiming();
    }
}

// Actions spread over 2001 … 2020 outside the grid of November 2010 (10/31 … 12/11);
// November holds 900, of which 300 lie in the week 11/11 … 11/17 around 2010/11/14,
// many of them overlapping. Identifiers are a running number.
void FillWeekMonth(sqlite3_stmt* insert, long rows) {
    long next = 0;
    auto add = [&](int y, int m, int d, int h, int mi, int minutes) {
        std::string id = ToUtf8(FormatText("ID%016ld", next++));
        int end = h * 60 + mi + minutes;
        std::string start = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:00", y, m, d, h, mi));
        std::string stop = ToUtf8(
            FormatText("%04d/%02d/%02d %02d:%02d:00", y, m, d, std::min(end / 60, 23), end >= 24 * 60 ? 59 : end % 60));
        InsertRow(insert, {id.c_str(), start.c_str(), stop.c_str()});
    };
    SeedRandom(2);
    long filler = rows - 900;
    for (long i = 0; i < filler; ++i) {
        int y = 2001 + static_cast<int>(i * 20 / filler), m = 1 + NextRandom() % 12, d = 1 + NextRandom() % 28;
        if (y == 2010 && (m == 11 || (m == 12 && d <= 11) || (m == 10 && d == 31))) y = 2011;
        add(y, m, d, NextRandom() % 22, NextRandom() % 60, 30 + NextRandom() % 120);
    }
    for (int i = 0; i < 900; ++i) {
        // 300 in the week (about 43 a day), 600 on the other 23 days of November.
        int d = i < 300 ? 11 + i % 7 : (i % 23 < 10 ? 1 + i % 23 : 8 + i % 23);
        add(2010, 11, d, NextRandom() % 23, NextRandom() % 60, 15 + NextRandom() % 180);
    }
}

std::string WeekMonthFile(long rows) {
    const char* insertSql = "insert into t_UserData values (?1, '2010-11-14 09:00:00', ?2, ?3, 35.5, 139.7, "
                            "'件名の例', '会社', '仕事', 'c2', '普通の長さのメモの文章', '')";
    return CachedDataFile(Folder() + "/weekmonth" + std::to_string(rows) + ".sdf", insertSql,
                          [rows](sqlite3_stmt* stmt) { FillWeekMonth(stmt, rows); });
}

struct ViewsFile {
    explicit ViewsFile(long rows) {
        OpenDataFile(FromUtf8(WeekMonthFile(rows)));
        RebuildActionIndex(*OpenTables()->userData, index);
    }
    ~ViewsFile() { CloseDataFile(); }
    ActionIndex index;
};

void BM_WeekRead(benchmark::State& state) {
    ViewsFile file(state.range(0));
    WeekData data;
    DateValue start = DateValue::FromFields(2010, 11, 11);
    for (auto _ : state)
        benchmark::DoNotOptimize(DbReadWeekData(nullptr, *OpenTables()->userData, file.index, start, data));
    state.counters["actions"] = static_cast<double>(data.entries.size());
}

void BM_MonthPrepare(benchmark::State& state) {
    ViewsFile file(state.range(0));
    MonthGrid grid;
    for (auto _ : state) {
        PrepareMonthGrid(file.index, 2010, 11, grid);
        benchmark::DoNotOptimize(grid.total);
    }
    state.counters["actions"] = grid.total;
}

void BM_ListPageRead(benchmark::State& state) {
    ViewsFile file(state.range(0));
    ListPage page;
    int at = static_cast<int>((file.index.count() - 1) / 20 / 2); // a page in the middle
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadListPage(nullptr, *OpenTables()->userData, file.index, at, 20, 1, page));
    state.counters["rows"] = static_cast<double>(page.rows.size());
}

// Fill (read, bars or list) and, with range(1) = 1, a synchronous paint of the window.
void ViewWindow(benchmark::State& state, int view) {
    std::string dir = Folder() + "/views" + std::to_string(state.range(0));
    std::filesystem::create_directories(dir);
    SetProgramFolder(FromUtf8(dir + "/"));
    ViewsFile file(state.range(0));
    CMainApp app;
    app.settings = DefaultSettings(ProgramDpi());
    app.actionIndex = file.index;
    app.shownDate = {2010, 11, 14};
    CMainWnd window(app);
    window.resize(ScaleByDpi(240), ScaleByDpi(320));
    window.show();
    window.Start(view, 1);
    if (view == 4) app.listPage = static_cast<int>((file.index.count() - 1) / 20 / 2);
    QApplication::processEvents();
    for (auto _ : state) {
        window.RefillView();
        if (state.range(1)) window.repaint();
    }
}

void BM_WeekWindow(benchmark::State& state) {
    ViewWindow(state, 2);
}
void BM_MonthWindow(benchmark::State& state) {
    ViewWindow(state, 3);
}
void BM_ListWindow(benchmark::State& state) {
    ViewWindow(state, 4);
}

BENCHMARK(BM_WeekRead)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthPrepare)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListPageRead)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeekWindow)->ArgsProduct({{10000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthWindow)->ArgsProduct({{10000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWindow)->ArgsProduct({{10000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);

BENCHMARK(BM_DayViewSingle)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayViewMulti)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayViewMultiUnbounded)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayViewWindowFill)
    ->Args({10000, 1})
    ->Args({1000000, 1})
    ->Args({10000, 2})
    ->Args({1000000, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Startup)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
