// The common part of the five table objects: one SQLite connection shared by all of
// them and at most one open query per table object, whose rows come back as texts.
#pragma once

#include "core/ActionRecord.h"
#include "core/ResultCodes.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// How a bound column's value becomes text: integers "%d", floats "%f", texts as
// stored, the LastUpdate timestamp "yyyy/mm/dd hh:mm:ss"; NULL is an absent text.
enum class ColumnKind { Int, Float, Text, Timestamp };

class TableBase {
public:
    TableBase(sqlite3* db, std::string tableName, std::string indexName);
    virtual ~TableBase();
    TableBase(const TableBase&) = delete;
    TableBase& operator=(const TableBase&) = delete;

    const std::string& tableName() const { return tableName_; }
    const std::string& indexName() const { return indexName_; }
    sqlite3* db() const { return db_; }

    // Runs the command text (values as "?" parameters, bound in order) and binds the
    // named result columns in the order given. A name that is not among the result's
    // columns gives E_FAIL. On success the query stands before its first row and
    // QueryRowCount is known. An open query is closed first.
    HRESULT OpenQuery(std::u16string_view commandText, const std::vector<std::string>& columnNames,
                      const std::vector<OptText>& parameters = {});
    // Rows the open query yields (0 when none is open); counted on first use.
    long long QueryRowCount();
    // S_OK and one text per bound column; DB_S_ENDOFROWSET after the last row, every
    // time, with nothing filled.
    HRESULT ReadNextRow(std::vector<OptText>& texts);
    // Back before the first row.
    HRESULT RestartQuery();
    // Releases the open query; safe when none is open.
    void CloseQuery();
    bool HasOpenQuery() const { return query_ != nullptr; }

    // The kind of a column by its name's type prefix (f_i4, f_flt, f_dt; else text).
    static ColumnKind KindOf(std::string_view columnName);
    // A statement prepared once for the table object's life (repeated lookups).
    sqlite3_stmt* Cached(const char* sql, HRESULT& hr);

private:
    std::vector<std::pair<std::string, sqlite3_stmt*>> cached_;
    std::string queryText_;
    std::vector<OptText> queryParameters_;
    sqlite3* db_;
    std::string tableName_;
    std::string indexName_;
    sqlite3_stmt* query_ = nullptr;
    std::vector<int> boundColumns_;
    std::vector<ColumnKind> boundKinds_;
    long long rowCount_ = 0;
    bool atEnd_ = false;
};
