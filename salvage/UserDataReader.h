// UserDataReader: the salvage tool's own reader of t_UserData rows. It finds the
// twelve expected columns by name in any result that holds them, and turns each
// column into text by the column's type, or leaves it absent: NULL, a value of the
// wrong type and a value that cannot be converted all give an absent field.
#pragma once

#include "core/ActionRecord.h"
#include "core/ResultCodes.h"

#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

struct SalvagedRow {
    ActionRecord record;
    long long rowid = 0;
    bool hasRowid = false; // the result carried the row's number
};

class UserDataReader {
public:
    UserDataReader() = default;
    ~UserDataReader();
    UserDataReader(const UserDataReader&) = delete;
    UserDataReader& operator=(const UserDataReader&) = delete;

    // Prepares sql and finds the twelve columns by name (and a column named rowidName
    // when one is given). A missing column fails the whole select (E_FAIL); an engine
    // failure gives its code. The columns' names may be overridden for results whose
    // columns are numbered (twelve names in ActionRecord order).
    HRESULT Open(sqlite3* db, const std::string& sql, const char* rowidName = nullptr,
                 const char* const* columnNames = nullptr);
    // Binds ?1 and ?2 (row numbers) and starts the query again from its first row.
    HRESULT BindRange(long long lo, long long hi);
    // S_OK and the next row; DB_S_ENDOFROWSET after the last; a failure code when the
    // engine cannot read the row (the query is then over).
    HRESULT Next(SalvagedRow& row);
    void Close();
    bool IsOpen() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int ordinals_[ActionField::Count] = {};
    int rowidOrdinal_ = -1;
};

// The kinds of column value the reader converts, by the type prefix of the column's
// name: f_i4 integer "%d", f_flt double "%f", f_dt timestamp, any other text.
enum class SalvageKind { Int, Float, Timestamp, Text };
SalvageKind SalvageKindOf(const char* columnName);

// One stored value as the engine holds it (storage class and content).
struct SalvageValue {
    enum Type { Null, Integer, Float, Text, Blob } type = Null;
    long long integer = 0;
    double real = 0;
    std::string_view bytes; // a text's UTF-8 bytes, or a blob
};
// The value as text by the column's kind, absent when its status would not be OK.
OptText ConvertSalvageValue(const SalvageValue& value, SalvageKind kind);
// One column of the current row, converted the same way.
OptText ReadSalvageColumn(sqlite3_stmt* stmt, int column, SalvageKind kind);

// UTF-8 bytes as UTF-16; false (out unspecified) for bytes that are not UTF-8.
bool DecodeUtf8Strictly(std::string_view bytes, std::u16string& out);
