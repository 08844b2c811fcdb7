// Inserting many actions in a row (an import): one prepared statement for all of
// them, the texts bound from views of the caller's UTF-8 texts (the engine's own
// encoding, so nothing is converted), and the LastUpdate stamp formatted once a
// second instead of once a row.
#pragma once

#include "core/ActionRecord.h"
#include "core/ResultCodes.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class UserDataTable;
struct sqlite3_stmt;

// The twelve fields of an action as views of UTF-8 texts; an absent field is a
// NULL column.
struct ActionUtf8 {
    std::array<std::string_view, ActionField::Count> text;
    std::array<bool, ActionField::Count> present{};
};

class ActionBulkInsert {
public:
    explicit ActionBulkInsert(UserDataTable& table);
    ~ActionBulkInsert();
    ActionBulkInsert(const ActionBulkInsert&) = delete;
    ActionBulkInsert& operator=(const ActionBulkInsert&) = delete;

    // Inserts one row as UserDataTable::InsertAction would store it (texts cut to
    // width, coordinates as numbers, LastUpdate now, the table's longest action
    // raised). The identifier must be present and the fields must already have
    // passed the identifier and period checks: they are not checked again.
    HRESULT Insert(const ActionUtf8& action);

private:
    HRESULT Prepare();
    const std::string& StampNow();

    UserDataTable& table_;
    sqlite3_stmt* insert_ = nullptr;
    std::string number_;         // a coordinate text being read
    std::u16string start_, end_; // the period, for the longest action
    std::string stamp_;          // "YYYY-MM-DD HH:MM:SS" of stampSecond_
    long long stampSecond_ = -1;
    std::uint64_t stampTick_ = 0; // the tick count when the clock was last read
};

// The number of a coordinate text, exactly as strtod reads it (without its cost for
// the usual short decimals).
double ReadDecimalNumber(const std::string& text);
