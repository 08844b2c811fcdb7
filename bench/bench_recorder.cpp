// One tap on record at a million actions: close the open action, insert the new one,
// write the history and the recorder items, refresh the index. Measured as the engine
// runs it (a synced commit per tap) and with the syncs turned off, so that the share of
// the syncs shows. The million-row file is made once under TIDEMARK_BENCH_DATA
// (default /tmp/tidemark-bench-recorder) and copied for each run.
#include <benchmark/benchmark.h>

#include "app/MainApp.h"
#include "bench/BenchData.h"
#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "recorder/RecorderChain.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

namespace {

constexpr long kRows = 1000000;

std::string Folder() {
    return BenchFolder("/tmp/tidemark-bench-recorder");
}

// Ten years from 2001 with one action every five minutes or so, each closed by the next.
std::string BaseFile() {
    std::string path = Folder() + "/actions" + std::to_string(kRows) + ".sdf";
    const char* insertSql = "insert into t_UserData values (?1, '2010-12-31 00:00:00', ?2, ?3, NULL, NULL, '', "
                            "'place', 'c1', 'c2', '', NULL)";
    return CachedDataFile(path, insertSql, [](sqlite3_stmt* insert) {
        SeedRandom(1);
        for (long i = 0; i < kRows; ++i) {
            std::string startText = MomentText(kTenYears * i / kRows, kMomentFormat);
            std::string endText = MomentText(kTenYears * (i + 1) / kRows, kMomentFormat);
            std::string id = "ID" + MomentText(kTenYears * i / kRows, kIdMomentFormat) +
                             ToUtf8(FormatText("%02d", static_cast<int>(NextRandom() % 100)));
            InsertRow(insert, {id.c_str(), startText.c_str(), endText.c_str()});
        }
    });
}

// A copy of the base file, open, with its index read and an empty recorder.
struct Session {
    CMainApp app;
    std::unique_ptr<RecorderChain> chain;
    Session() {
        std::string base = BaseFile();
        std::string work = Folder() + "/work.sdf";
        std::filesystem::copy_file(base, work, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(work + "-journal");
        app.settings = DefaultSettings(96);
        app.settings.DataFile = FromUtf8(work);
        SetApp(&app);
        OpenDataFile(app.settings.DataFile);
        RebuildActionIndex(*OpenTables()->userData, app.actionIndex);
        chain = std::make_unique<RecorderChain>(app, nullptr);
        chain->LoadOnce();
        chain->Clear();
    }
    ~Session() {
        CloseDataFile();
        SetApp(nullptr);
    }
};

// Taps one minute apart from the given day on; places alternate so each close moves.
void Taps(benchmark::State& state, int year, bool synced) {
    Session session;
    if (!synced) ExecuteSql(OpenTables()->db, "PRAGMA synchronous=OFF");
    long long minute = 0;
    auto tap = [&] {
        ++minute;
        SetFixedClock(year, 6, 15 + static_cast<int>(minute / 1440), static_cast<int>(minute / 60 % 24),
                      static_cast<int>(minute % 60), 0);
        RecorderFields fields{u"<現在時刻>", u"", u"", minute % 2 ? u"A" : u"B", u"c1", u"c2"};
        return session.chain->Record(fields);
    };
    tap(); // the first tap makes the index's identifier hashes
    for (auto _ : state) {
        if (tap() != kRecorderDone) state.SkipWithError("record failed");
    }
    state.counters["actions"] = static_cast<double>(session.app.actionIndex.count());
    SetClockSource({});
}

// Today after all stored actions (the usual case): the index grows at its end.
void BM_RecordTap(benchmark::State& state) {
    Taps(state, 2011, true);
}
void BM_RecordTapNoSync(benchmark::State& state) {
    Taps(state, 2011, false);
}
// A clock set inside the stored years: the index makes room in its middle.
void BM_RecordTapMidIndex(benchmark::State& state) {
    Taps(state, 2005, true);
}

} // namespace

BENCHMARK(BM_RecordTap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK(BM_RecordTapNoSync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK(BM_RecordTapMidIndex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

BENCHMARK_MAIN();
