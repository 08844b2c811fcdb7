// New identifiers for the rows of an add-mode import. Each one is first drawn as
// for any new action (the clock's second and a random number); when that is taken
// (a second holds only 100 identifiers, and an import writes thousands a second)
// the source walks on from the last identifier it gave, number by number and
// second by second. So every row costs one or two lookups, however many rows share
// a second, where fifty random draws per row would be spent once a second is full.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UserDataTable;

// Whether an identifier is in the table, for the rows of one import. When the table
// held no action as the import began, only identifiers the import itself wrote can
// be there: an identifier beyond the largest written (the usual case, as files and
// new identifiers come in time order) is free at once; otherwise only one that a
// filter of the written ones may hold is looked up (three bits in one 64-byte block,
// 16 bits per expected row: small enough for the processor's cache, and about one in
// two hundred free identifiers is looked up for nothing). When the table held
// actions, every question is a lookup. Identifiers are UTF-8, as the engine stores them.
class TakenIdentifiers {
public:
    // expected: about how many rows the import writes (sizes the filter).
    TakenIdentifiers(UserDataTable& table, size_t expected);
    // 1 when a row of the table has the identifier, 0 when none has, -1 when the lookup failed.
    int Taken(std::string_view id);
    // Tells that a row with the identifier was written.
    void Written(std::string_view id);
    // Whether the table held no action when the import began.
    bool StartedEmpty() const { return startedEmpty_; }
    // The table began empty and every identifier the import asks about is distinct
    // from those it asks about after (known from the file): none is taken, and none
    // is looked up.
    void AllFree() { allFree_ = startedEmpty_; }

private:
    bool MayBeWritten(std::string_view id) const;
    void Remember(std::string_view id);

    UserDataTable& table_;
    bool startedEmpty_ = false;
    bool allFree_ = false;
    std::string largest_;               // the largest identifier written (byte order)
    std::vector<std::uint64_t> filter_; // blocks of 512 bits
};

class ImportIdentifiers {
public:
    ImportIdentifiers(TakenIdentifiers& taken) : taken_(taken) {}
    // An identifier not in the table; nothing when the table cannot be read or the
    // clock gives no identifier.
    std::optional<std::u16string> Next();

private:
    TakenIdentifiers& taken_;
    std::u16string last_; // the last identifier given, empty before the first
};

// 1 when a row of the table has the (UTF-8) identifier, 0 when none has, -1 when the lookup failed.
int ActionIdTaken(UserDataTable& table, std::string_view id);

// The identifier after id in time order: the next number, after 99 the next second.
// Empty when id is not of the form ID + yyyymmddhhmmss + two digits.
std::u16string FollowingActionId(const std::u16string& id);
