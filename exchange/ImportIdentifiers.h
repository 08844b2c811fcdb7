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
#include <unordered_set>

class UserDataTable;

// Whether an identifier is in the table, for the rows of one import. When the table
// held no action as the import began, only identifiers the import itself wrote can
// be there: those are remembered by a hash, and only an identifier whose hash is
// among them is looked up. Otherwise every question is a lookup.
class TakenIdentifiers {
public:
    explicit TakenIdentifiers(UserDataTable& table);
    // 1 when a row of the table has the identifier, 0 when none has, -1 when the lookup failed.
    int Taken(const std::u16string& id);
    // Tells that a row with the identifier was written.
    void Written(std::u16string_view id);

private:
    UserDataTable& table_;
    bool startedEmpty_ = false;
    std::unordered_set<std::uint64_t> written_;
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

// 1 when a row of the table has the identifier, 0 when none has, -1 when the lookup failed.
int ActionIdTaken(UserDataTable& table, const std::u16string& id);

// The identifier after id in time order: the next number, after 99 the next second.
// Empty when id is not of the form ID + yyyymmddhhmmss + two digits.
std::u16string FollowingActionId(const std::u16string& id);
