// The map and compaction benchmarks' data file: actions spread over 2001 … 2020 around
// Tokyo, with one day (2010/11/14) of 500 positioned actions. Made once and kept in
// TIDEMARK_BENCH_DATA (default /tmp/tidemark-bench-map-options).
#pragma once

#include "app/MainApp.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const ShownDate kMapBenchDay{2010, 11, 14};
inline constexpr int kMapBenchDayActions = 500;

inline std::string BenchFolder() {
    const char* folder = std::getenv("TIDEMARK_BENCH_DATA");
    return folder ? folder : "/tmp/tidemark-bench-map-options";
}

// Actions spread over 2001 … 2020 around Tokyo; 2010/11/14 holds exactly 500, each
// about three minutes long, scattered over some 20 km. Identifiers are a running number.
inline std::string MapFile(long rows) {
    std::string dir = BenchFolder();
    std::filesystem::create_directories(dir);
    std::string path = dir + "/map" + std::to_string(rows) + ".sdf";
    if (std::filesystem::exists(path)) return path;
    std::string building = path + ".part";
    std::filesystem::remove(building);
    CreateDataFile(FromUtf8(building));
    sqlite3* db = OpenTables()->db;
    ExecuteSql(db, "BEGIN");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into t_UserData values (?1, '2010-11-14 09:00:00', ?2, ?3, ?4, ?5, '件名の例', "
                       "'会社', '仕事', 'c2', '普通の長さのメモの文章', '')",
                       -1, &stmt, nullptr);
    long next = 0;
    auto insert = [&](int y, int m, int d, int minute, int length) {
        std::string id = ToUtf8(FormatText("ID%016ld", next++));
        int end = std::min(minute + length, 24 * 60 - 1);
        std::string start = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:00", y, m, d, minute / 60, minute % 60));
        std::string stop = ToUtf8(FormatText("%04d/%02d/%02d %02d:%02d:00", y, m, d, end / 60, end % 60));
        std::string latitude = std::to_string(35.5 + (NextRandom() % 20000) / 100000.0);
        std::string longitude = std::to_string(139.6 + (NextRandom() % 20000) / 100000.0);
        sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, start.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, stop.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, latitude.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 5, longitude.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    };
    SeedRandom(3);
    long filler = rows - kMapBenchDayActions;
    for (long i = 0; i < filler; ++i) {
        int y = 2001 + static_cast<int>(i * 20 / filler), m = 1 + NextRandom() % 12, d = 1 + NextRandom() % 28;
        if (y == 2010 && m == 11 && (d == 13 || d == 14)) d = 15;
        insert(y, m, d, NextRandom() % (22 * 60), 30 + NextRandom() % 90);
    }
    for (int i = 0; i < kMapBenchDayActions; ++i)
        insert(kMapBenchDay.year, kMapBenchDay.month, kMapBenchDay.day, i * 24 * 60 / kMapBenchDayActions, 2);
    sqlite3_finalize(stmt);
    ExecuteSql(db, "COMMIT");
    CloseDataFile();
    std::filesystem::rename(building, path);
    return path;
}
