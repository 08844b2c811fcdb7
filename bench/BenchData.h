// The benchmark data files: where they are kept, how a file is made once and reused,
// and the row texts more than one benchmark writes.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

struct sqlite3_stmt;

// The folder named by TIDEMARK_BENCH_DATA, else fallback; made when missing.
std::string BenchFolder(const char* fallback);

// Answers path, making it first when it is missing: make writes path + ".part" (a
// leftover one is removed first), which becomes path only once make has finished, so an
// interrupted run never leaves a half-made file under the real name.
std::string CachedFile(const std::string& path, const std::function<void(const std::string& building)>& make);

// A data file at path, made once: fill writes its rows with the insert statement
// prepared from insertSql, all in one transaction.
std::string CachedDataFile(const std::string& path, const char* insertSql,
                           const std::function<void(sqlite3_stmt* insert)>& fill);

// Binds the texts to ?1, ?2, … of insert and runs it; a failed insert ends the program
// rather than leave a file with rows missing.
void InsertRow(sqlite3_stmt* insert, std::initializer_list<const char*> texts);

// The seconds from 2001/01/01 to 2011/01/01, the span most benchmark files cover.
constexpr long long kTenYears = 3652LL * 86400;

// The texts of a moment as an action stores it, and as its identifier begins.
inline constexpr const char* kMomentFormat = "%04d/%02d/%02d %02d:%02d:%02d";
inline constexpr const char* kIdMomentFormat = "%04d%02d%02d%02d%02d%02d";

// A moment given in seconds after 2001/01/01 00:00:00, formatted with format, which
// takes year, month, day, hour, minute and second in that order.
std::string MomentText(long long seconds, const char* format);

// Writes a Ver.3 exchange file (CP932) of rows actions spread over ten years from 2001.
// The rows are the same in every run (the random sequence starts at 1).
void WriteVer3File(const std::string& path, long rows);
