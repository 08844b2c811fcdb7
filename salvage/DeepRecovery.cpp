// Row-number ranges after the damage, and the page scan as a pass over the output.
#include "salvage/DeepRecovery.h"

#include "salvage/PageScan.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Rows are read in ranges of this many row numbers.
constexpr long long kRangeWidth = 4096;
// Failed reads allowed in the range pass before it gives up (a wholly unreadable
// table would otherwise be tried one row number at a time); the page scan follows.
constexpr long long kFailureBudget = 20000;

const char kRangeQuery[] = "select _rowid_ as salvage_rowid, * from t_UserData where _rowid_ > ?1 and _rowid_ <= ?2";

class RangeReader {
public:
    RangeReader(SalvageOutput& output) : output_(output) {}

    HRESULT Open(sqlite3* db) { return reader_.Open(db, kRangeQuery, "salvage_rowid"); }

    // The rows numbered lo < n <= hi; a failing range is halved.
    PassEnd Read(long long lo, long long hi) {
        if (lo >= hi || failures_ > kFailureBudget) return PassEnd::Done;
        if (FAILED(reader_.BindRange(lo, hi))) return PassEnd::Done;
        SalvagedRow row;
        for (;;) {
            HRESULT hr = reader_.Next(row);
            if (hr == DB_S_ENDOFROWSET) return PassEnd::Done;
            if (hr == S_OK) {
                if (!output_.Take(row, RowOrigin::SameTable)) return PassEnd::WriteFailed;
                if (row.hasRowid && row.rowid > lo && row.rowid <= hi) lo = row.rowid;
                continue;
            }
            ++failures_;
            if (hi - lo <= 1) return PassEnd::Done; // the one row that cannot be read
            long long mid = lo + (hi - lo) / 2;
            if (Read(lo, mid) == PassEnd::WriteFailed) return PassEnd::WriteFailed;
            return Read(mid, hi);
        }
    }

private:
    SalvageOutput& output_;
    UserDataReader reader_;
    long long failures_ = 0;
};

long long PragmaValue(sqlite3* db, const char* sql, long long fallback) {
    sqlite3_stmt* stmt = nullptr;
    long long value = fallback;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW &&
        sqlite3_column_type(stmt, 0) == SQLITE_INTEGER)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

// The highest row number to try: the table's largest when the engine can find it,
// never more than the file could hold rows (a damaged last page may give garbage).
long long RowidLimit(sqlite3* db, long long lastRowid) {
    long long pages = PragmaValue(db, "pragma page_count", 0);
    long long pageSize = PragmaValue(db, "pragma page_size", 4096);
    long long capacity = lastRowid + std::max(pages, 1LL) * std::max(pageSize / 4, 1LL);
    long long largest = PragmaValue(db, "select max(_rowid_) from t_UserData", -1);
    return largest > lastRowid ? std::min(largest, capacity) : capacity;
}

} // namespace

bool HasUserDataTable(sqlite3* db) {
    return PragmaValue(db, "select count(*) from sqlite_master where type = 'table' and name = 't_UserData'", 0) > 0;
}

PassEnd ReadRowsAfter(sqlite3* db, long long lastRowid, SalvageOutput& output) {
    RangeReader ranges(output);
    if (FAILED(ranges.Open(db))) return PassEnd::Done;
    const long long limit = RowidLimit(db, lastRowid);
    for (long long lo = lastRowid; lo < limit; lo += kRangeWidth) {
        if (ranges.Read(lo, std::min(lo + kRangeWidth, limit)) == PassEnd::WriteFailed) return PassEnd::WriteFailed;
    }
    return PassEnd::Done;
}

PassEnd ScanFileForRows(const std::u16string& path, bool keepFreePages, SalvageOutput& output) {
    PageScanResult scan = ScanPagesForRows(
        path, keepFreePages, [&output](const SalvagedRow& row) { return output.Take(row, RowOrigin::SameTable); });
    return scan.stopped ? PassEnd::WriteFailed : PassEnd::Done;
}
