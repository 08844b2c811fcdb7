// Data store at scale: index rebuild against the bare ordered query, lookup by
// identifier against a bare prepared lookup, and one save with the index refresh.
// The data files (10 years of realistic rows) are made once and kept in the folder
// given by TIDEMARK_BENCH_DATA (default /tmp/tidemark-bench).
#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string DataFile(long rows) {
    std::string path = BenchFolder("/tmp/tidemark-bench") + "/actions" + std::to_string(rows) + ".sdf";
    const char* insertSql = "insert into t_UserData values (?1, ?5, ?2, ?3, 35.5, 139.7, ?4, "
                            "'place', 'c1', 'c2', 'memo text of a usual length', '')";
    return CachedDataFile(path, insertSql, [rows](sqlite3_stmt* insert) {
        SeedRandom(1);
        // Ten years from 2001/01/01, rows spread evenly, each lasting up to three hours;
        // an end may fall on the next day.
        for (long i = 0; i < rows; ++i) {
            long long start = kTenYears * i / rows + NextRandom() % 60;
            long long end = start + NextRandom() % (3 * 60 + 1) * 60;
            std::string id =
                "ID" + MomentText(start, kIdMomentFormat) + ToUtf8(FormatText("%02d", static_cast<int>(i % 100)));
            std::string startText = MomentText(start, kMomentFormat);
            std::string endText = MomentText(end, kMomentFormat);
            // Every row is an action the program itself could have saved.
            ActionRecord check;
            check[ActionField::StaDateTime] = FromUtf8(startText);
            check[ActionField::EndDateTime] = FromUtf8(endText);
            if (CheckActionId(FromUtf8(id)) != 0 || ValidateActionPeriod(check) != 0) {
                std::fprintf(stderr, "generated an invalid action %s %s %s\n", id.c_str(), startText.c_str(),
                             endText.c_str());
                std::abort();
            }
            std::string saved = MomentText(end, "%04d-%02d-%02d %02d:%02d:%02d");
            InsertRow(insert, {id.c_str(), startText.c_str(), endText.c_str(), "subject", saved.c_str()});
        }
    });
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
