// Data store at scale: index rebuild against the bare ordered query, lookup by
// identifier against a bare prepared lookup, and one save with the index refresh.
// The data files (10 years of realistic rows) are made once and kept in the folder
// given by TIDEMARK_BENCH_DATA (default /tmp/tidemark-bench).
#include <benchmark/benchmark.h>

#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// The calendar fields of a moment (seconds after the first day), formatted.
std::string Fields(std::chrono::sys_days first, long long seconds, const char* format) {
    std::chrono::sys_days day = first + std::chrono::days(seconds / 86400);
    std::chrono::year_month_day date(day);
    long long s = seconds % 86400;
    return ToUtf8(FormatText(format, static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                             static_cast<int>(unsigned(date.day())), static_cast<int>(s / 3600),
                             static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)));
}

std::string DataFile(long rows) {
    const char* folder = std::getenv("TIDEMARK_BENCH_DATA");
    std::string dir = folder ? folder : "/tmp/tidemark-bench";
    std::filesystem::create_directories(dir);
    std::string path = dir + "/actions" + std::to_string(rows) + ".sdf";
    if (std::filesystem::exists(path)) return path;
    std::string building = path + ".part";
    CreateDataFile(FromUtf8(building));
    sqlite3* db = OpenTables()->db;
    ExecuteSql(db, "BEGIN");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into t_UserData values (?1, ?5, ?2, ?3, 35.5, 139.7, ?4, "
                       "'place', 'c1', 'c2', 'memo text of a usual length', '')",
                       -1, &stmt, nullptr);
    SeedRandom(1);
    // Ten years from 2001/01/01, rows spread evenly, each lasting up to three hours;
    // an end may fall on the next day.
    const std::chrono::sys_days first = std::chrono::year{2001} / 1 / 1;
    const long long span =
        static_cast<long long>((std::chrono::sys_days(std::chrono::year{2011} / 1 / 1) - first).count()) * 86400;
    for (long i = 0; i < rows; ++i) {
        long long start = span * i / rows + NextRandom() % 60;
        long long end = start + NextRandom() % (3 * 60 + 1) * 60;
        std::string id = "ID" + Fields(first, start, "%04d%02d%02d%02d%02d%02d") +
                         ToUtf8(FormatText("%02d", static_cast<int>(i % 100)));
        std::string startText = Fields(first, start, "%04d/%02d/%02d %02d:%02d:%02d");
        std::string endText = Fields(first, end, "%04d/%02d/%02d %02d:%02d:%02d");
        // Every row is an action the program itself could have saved.
        ActionRecord check;
        check[ActionField::StaDateTime] = FromUtf8(startText);
        check[ActionField::EndDateTime] = FromUtf8(endText);
        if (CheckActionId(FromUtf8(id)) != 0 || ValidateActionPeriod(check) != 0) {
            std::fprintf(stderr, "generated an invalid action %s %s %s\n", id.c_str(), startText.c_str(),
                         endText.c_str());
            std::abort();
        }
        std::string saved = Fields(first, end, "%04d-%02d-%02d %02d:%02d:%02d");
        sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, startText.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, endText.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, "subject", -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 5, saved.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            std::fprintf(stderr, "insert failed: %s\n", sqlite3_errmsg(db));
            std::abort();
        }
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
                           "select f_nchActId, f_nchStaDateTime from t_UserData order by f_nchStaDateTime", -1, &stmt,
                           nullptr);
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
    for (auto _ : state)
        RebuildActionIndex(*OpenTables()->userData, index);
    state.counters["index_MB"] = static_cast<double>(index.MemoryBytes()) / 1e6;
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
        for (int c = 0; c < 12; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text16(stmt, c));
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
    for (auto _ : state)
        OpenTables()->userData->ReadActionById(index.IdAt(i++ * 7919 % index.count()), r);
}

void BM_UpdateWithRefresh(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    long long i = 0;
    ActionRecord r;
    for (auto _ : state) {
        std::u16string id = index.IdAt(i++ * 7919 % index.count());
        if (OpenTables()->userData->ReadActionById(id, r) != S_OK) {
            state.SkipWithError("read failed");
            break;
        }
        r[ActionField::Subject] = u"changed";
        if (OpenTables()->userData->UpdateAction(r) != S_OK ||
            RefreshIndexAfterSave(*OpenTables()->userData, index, id) != S_OK) {
            state.SkipWithError("update failed");
            break;
        }
    }
}

// The engine's own cost of one saved row: a prepared single-row update in its own
// transaction, committed (and synced) as every save is.
void BM_BareUpdate(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(OpenTables()->db,
                       "update t_UserData set f_nvcSubject = ?2 where rowid = (select rowid from t_UserData where "
                       "f_nchActId = ?1 limit 1)",
                       -1, &stmt, nullptr);
    long long i = 0;
    for (auto _ : state) {
        std::string id = ToUtf8(index.IdAt(i++ * 7919 % index.count()));
        sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        // A new value each time: the engine writes nothing for an unchanged row.
        std::string subject = "changed " + std::to_string(i);
        sqlite3_bind_text(stmt, 2, subject.c_str(), -1, SQLITE_TRANSIENT);
        // Its own transaction, as a save has: an autocommit statement would not commit
        // while another statement of the connection is still open, and so never sync.
        sqlite3_exec(OpenTables()->db, "BEGIN", nullptr, nullptr, nullptr);
        int step = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (step != SQLITE_DONE || sqlite3_exec(OpenTables()->db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError("update failed");
            break;
        }
    }
    sqlite3_finalize(stmt);
}

// A new action somewhere in the ten years, saved and put in the index; it is deleted
// again untimed.
void BM_InsertWithRefresh(benchmark::State& state) {
    Open(state.range(0));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    long long i = 0;
    for (auto _ : state) {
        ActionRecord r;
        std::u16string start = index.StartAt(i++ * 7919 % index.count());
        r[ActionField::StaDateTime] = start;
        r[ActionField::EndDateTime] = start;
        r[ActionField::Subject] = u"new";
        if (OpenTables()->userData->InsertAction(r) != S_OK ||
            RefreshIndexAfterSave(*OpenTables()->userData, index, *r[ActionField::ActId]) != S_OK) {
            state.SkipWithError("insert failed");
            break;
        }
        state.PauseTiming();
        if (OpenTables()->userData->DeleteAction(*r[ActionField::ActId]) != S_OK ||
            RefreshIndexAfterSave(*OpenTables()->userData, index, *r[ActionField::ActId]) != S_OK)
            state.SkipWithError("delete failed");
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_BareOrderedQuery)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildActionIndex)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLookup)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadActionById)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareUpdate)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateWithRefresh)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertWithRefresh)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
