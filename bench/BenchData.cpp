// The benchmark data files: the cache folder, made-once files and shared row texts.
#include "bench/BenchData.h"

#include "core/Cp932.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string BenchFolder(const char* fallback) {
    const char* folder = std::getenv("TIDEMARK_BENCH_DATA");
    std::string dir = folder ? folder : fallback;
    fs::create_directories(dir);
    return dir;
}

std::string CachedFile(const std::string& path, const std::function<void(const std::string& building)>& make) {
    if (fs::exists(path)) return path;
    std::string building = path + ".part";
    fs::remove(building);
    make(building);
    fs::rename(building, path);
    return path;
}

std::string CachedDataFile(const std::string& path, const char* insertSql,
                           const std::function<void(sqlite3_stmt* insert)>& fill) {
    return CachedFile(path, [&](const std::string& building) {
        CreateDataFile(FromUtf8(building));
        sqlite3* db = OpenTables()->db;
        ExecuteSql(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        if (sqlite3_prepare_v2(db, insertSql, -1, &insert, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bad insert: %s\n", sqlite3_errmsg(db));
            std::abort();
        }
        fill(insert);
        sqlite3_finalize(insert);
        ExecuteSql(db, "COMMIT");
        CloseDataFile();
    });
}

void InsertRow(sqlite3_stmt* insert, std::initializer_list<const char*> texts) {
    int index = 0;
    for (const char* text : texts)
        sqlite3_bind_text(insert, ++index, text, -1, SQLITE_TRANSIENT);
    if (sqlite3_step(insert) != SQLITE_DONE) {
        std::fprintf(stderr, "insert failed: %s\n", sqlite3_errmsg(sqlite3_db_handle(insert)));
        std::abort();
    }
    sqlite3_reset(insert);
}

std::string MomentText(long long seconds, const char* format) {
    const std::chrono::sys_days first = std::chrono::year{2001} / 1 / 1;
    std::chrono::year_month_day date(first + std::chrono::days(seconds / 86400));
    long long s = seconds % 86400;
    return ToUtf8(FormatText(format, static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                             static_cast<int>(unsigned(date.day())), static_cast<int>(s / 3600),
                             static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)));
}

namespace {

// Row i of rows: a meeting of up to three hours, at an even spread over ten years.
std::string Ver3Line(long i, long rows) {
    long long span = 10LL * 365 * 86400, t = span * i / rows + NextRandom() % 60;
    long long day = t / 86400, sec = t % 86400;
    int y = 2001 + static_cast<int>(day / 365), doy = static_cast<int>(day % 365);
    int m = 1 + doy / 31 % 12, d = 1 + doy % 28;
    int h = static_cast<int>(sec / 3600), mi = static_cast<int>(sec / 60 % 60), s = static_cast<int>(sec % 60);
    int eh = std::min(h + NextRandom() % 3, 23);
    char line[512];
    std::snprintf(line, sizeof line,
                  "ID%04d%02d%02d%02d%02d%02d%02d\t2010/11/14 09:00:00\t%04d/%02d/%02d %02d:%02d:%02d\t"
                  "%04d/%02d/%02d %02d:%02d:%02d\t35.%06d\t139.%06d\t会議 %ld\t東京都千代田区\tcat%d\t仕事\t"
                  "\"memo text of a usual length, with a few words\"\t\r\n",
                  y, m, d, h, mi, s, static_cast<int>(i % 100), y, m, d, h, mi, s, y, m, d, eh, mi, s,
                  NextRandom() * 30, NextRandom() * 30, i % 50, static_cast<int>(i % 7));
    return line;
}

} // namespace

void WriteVer3File(const std::string& path, long rows) {
    SeedRandom(1);
    std::string text = ToUtf8(Ver3HeaderLine()) + "\r\n";
    for (long i = 0; i < rows; ++i)
        text += Ver3Line(i, rows);
    std::string bytes = ToCp932(FromUtf8(text));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}
