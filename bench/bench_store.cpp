// Data store at scale: index rebuild against the bare ordered query, lookup by
// identifier against a bare prepared lookup, and one save with the index refresh.
// The data files (10 years of realistic rows) are made once and kept in the folder
// given by TIDEMARK_BENCH_DATA (default /tmp/tidemark-bench).
#include <benchmark/benchmark.h>

#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string DataFile(long rows) {
    const char* folder = std::getenv("TIDEMARK_BENCH_DATA");
    std::string dir = folder ? folder : "/tmp/tidemark-bench";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/rows" + std::to_string(rows) + ".sdf";
    if (std::filesystem::exists(path)) return path;
    std::string building = path + ".part";
    CreateDataFile(FromUtf8(building));
    sqlite3* db = OpenTables()->db;
    ExecuteSql(db, "BEGIN");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into t_UserData values (?1, '2010-11-14 09:00:00', ?2, ?3, 35.5, 139.7, ?4, "
                       "'place', 'c1', 'c2', 'memo text of a usual length', '')",
                       -1, &stmt, nullptr);
    SeedRandom(1);
    // Ten years, rows spread evenly, each lasting up to three hours.
    long long span = 10LL * 365 * 86400;
    for (long i = 0; i < rows; ++i) {
        long long t = span * i / rows + NextRandom() % 60;
        long long day = t / 86400, sec = t % 86400;
        int y = 2001 + static_cast<int>(day / 365), doy = static_cast<int>(day % 365);
        int m = 1 + doy / 31 % 12, d = 1 + doy % 28;
        int h = static_cast<int>(sec / 3600), mi = static_cast<int>(sec / 60 % 60), s = static_cast<int>(sec % 60);
        int eh = h + NextRandom() % 3 > 23 ? 23 : h + NextRandom() % 3;
        std::string id = ToUtf8(FormatText("ID%04d%02d%02d%02d%02d%02d%02d", y, m, d, h, mi, s, static_cast<int>(i % 100)));
        std::string start = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:%02d", y, m, d, h, mi, s));
        std::string end = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:%02d", y, m, d, eh, mi, s));
        sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, start.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, end.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, "subject", -1, SQLITE_STATIC);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ExecuteSql(db, "COMMIT");
    CloseDataFile();
    std::filesystem::rename(building, path);
    return path;
}

void Open(long rows) {
    static std::string open;
    std::string path = DataFile(rows);
    if (open != path || !OpenTables()) {
        OpenDataFile(FromUtf8(path));
        open = path;
    }
}

void BM_BareOrderedQuery(benchmark::State& state) {
    Open(state.range(0));
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(OpenTables()->db,
                           "select f_nchActId, f_nchStaDateTime from t_UserData order by f_nchStaDateTime", -1,
                           &stmt, nullptr);
        long n = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 1));
            ++n;
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(n);
    }
}

void BM_RebuildActionIndex(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    for (auto _ : state) RebuildActionIndex(*OpenTables()->userData, index);
    state.counters["index_MB"] = static_cast<double>(index.count()) * 37 / 1e6;
}

void BM_BareLookup(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(OpenTables()->db, "select * from t_UserData where f_nchActId = ?", -1, &stmt, nullptr);
    long long i = 0;
    for (auto _ : state) {
        std::string id = ToUtf8(index.IdAt(i++ * 7919 % index.count()));
        sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        for (int c = 0; c < 12; ++c) benchmark::DoNotOptimize(sqlite3_column_text16(stmt, c));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

void BM_ReadActionById(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    long long i = 0;
    ActionRecord r;
    for (auto _ : state) OpenTables()->userData->ReadActionById(index.IdAt(i++ * 7919 % index.count()), r);
}

void BM_UpdateWithRefresh(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    long long i = 0;
    ActionRecord r;
    for (auto _ : state) {
        std::u16string id = index.IdAt(i++ * 7919 % index.count());
        OpenTables()->userData->ReadActionById(id, r);
        r[ActionField::Subject] = u"changed";
        OpenTables()->userData->UpdateAction(r);
        RefreshIndexAfterSave(*OpenTables()->userData, index, id);
    }
}

} // namespace

BENCHMARK(BM_BareOrderedQuery)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildActionIndex)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLookup)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadActionById)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateWithRefresh)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
