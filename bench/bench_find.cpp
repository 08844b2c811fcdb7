// A text search over a million actions against the bare engine query with the same
// condition, both in the same run. The data file (ten years of rows with varied places
// and memos) is made once and kept in TIDEMARK_BENCH_DATA (default
// /tmp/tidemark-bench-find).
#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "core/MessageBox.h"
#include "core/Utf.h"
#include "find/SearchRun.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <cstdio>
#include <string>

namespace {

constexpr long kRows = 1000000;

class SilentMessages : public MessagePresenter {
public:
    int Show(WindowHandle, std::u16string_view, std::u16string_view, unsigned) override { return IDOK; }
};

std::string DataFile() {
    std::string path = BenchFolder("/tmp/tidemark-bench-find") + "/search" + std::to_string(kRows) + ".sdf";
    const char* insertSql = "insert into t_UserData values (?1, '2010-01-01 00:00:00', ?2, ?3, 35.5, 139.7, "
                            "'subject', ?4, ?5, 'c2', ?6, '')";
    return CachedDataFile(path, insertSql, [](sqlite3_stmt* insert) {
        static const char* places[] = {"会社", "自宅", "公園", "レストラン", "学校", "駅前"};
        static const char* memos[] = {"資料作成と打合せ", "ランチ", "散歩", "買い物リスト", "映画を見た", "会議の準備"};
        for (long i = 0; i < kRows; ++i) {
            // Ten years from 2001, about 270 rows a day, each lasting up to three hours.
            long day = i / 274, minute = (i % 274) * 5;
            char id[32], start[32], end[32];
            std::snprintf(id, sizeof id, "ID%04ld%02ld%02ld%02ld%02ld00%02ld", 2001 + day / 365, day % 365 / 31 + 1,
                          day % 31 + 1, minute / 60, minute % 60, i % 100);
            std::snprintf(start, sizeof start, "%04ld/%02ld/%02ld %02ld:%02ld:00", 2001 + day / 365, day % 365 / 31 + 1,
                          day % 31 + 1, minute / 60, minute % 60);
            std::snprintf(end, sizeof end, "%04ld/%02ld/%02ld %02ld:%02ld:00", 2001 + day / 365, day % 365 / 31 + 1,
                          day % 31 + 1, (minute + 5) / 60 % 24, (minute + 5) % 60);
            std::string memo = std::string(memos[(i * 7) % 6]) + " " + std::to_string(i % 1000);
            InsertRow(insert, {id, start, end, places[(i * 5) % 6], "仕事", memo.c_str()});
        }
    });
}

// The search both benchmarks run: a text in place and memo, as the dialog would set it.
SearchValues Search() {
    SearchValues v;
    v.text = u"ランチ";
    v.fieldMask = 1 | 8;
    return v;
}

void Open() {
    static std::string path = DataFile();
    if (!OpenTables()) OpenDataFile(FromUtf8(path));
}

void BM_BareSearchQuery(benchmark::State& state) {
    Open();
    std::u16string w;
    BuildSearchCondition(Search(), w);
    std::string sql =
        "select f_nchActId,f_nchStaDateTime from t_UserData where " + ToUtf8(w) + " order by f_nchStaDateTime asc";
    long long rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(OpenTables()->db, sql.c_str(), -1, &stmt, nullptr);
        rows = 0;
        size_t bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            bytes += static_cast<size_t>(sqlite3_column_bytes(stmt, 0) + sqlite3_column_bytes(stmt, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 1));
            ++rows;
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_RunSearch(benchmark::State& state) {
    Open();
    SilentMessages silent;
    SetMessagePresenter(&silent);
    ActionIndex index;
    std::u16string condition;
    for (auto _ : state) {
        if (RunSearch(nullptr, *OpenTables()->userData, index, Search(), condition) != 0)
            state.SkipWithError("search failed");
    }
    state.counters["rows"] = static_cast<double>(index.count());
    SetMessagePresenter(nullptr);
}

// Interleaved, so that both see the same cache and machine load.
BENCHMARK(BM_BareSearchQuery)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_RunSearch)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
