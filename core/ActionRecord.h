// One action as the whole system passes it around: twelve optional UTF-16 texts in
// the column order of t_UserData. An absent text is a NULL column. Numbers and
// timestamps travel as text; the table access layer converts them.
#pragma once

#include <array>
#include <optional>
#include <string>

using OptText = std::optional<std::u16string>;

// Field positions of an ActionRecord (and columns of t_UserData).
namespace ActionField {
enum : int {
    ActId = 0,       // f_nchActId, 18 characters
    LastUpdate = 1,  // f_dtLastUpdate, "yyyy/mm/dd hh:mm:ss", set by every write
    StaDateTime = 2, // f_nchStaDateTime, "yyyy/mm/dd hh:mm:ss"
    EndDateTime = 3, // f_nchEndDateTime, the time may be "24:00:00"
    Latitude = 4,    // f_fltLatitude, "%f"; absent = no position
    Longitude = 5,   // f_fltLongitude, "%f"
    Subject = 6,     // f_nvcSubject, 100
    Place = 7,       // f_nvcPlace, 500
    Category1 = 8,   // f_nvcCategory1, 500
    Category2 = 9,   // f_nvcCategory2, 500
    Memo = 10,       // f_nvcMemo, 2000
    ExtItems = 11,   // f_nvcExtItems, 2000
    Count = 12
};
}

struct ActionRecord {
    std::array<OptText, ActionField::Count> fields;

    OptText& operator[](int field) { return fields[static_cast<size_t>(field)]; }
    const OptText& operator[](int field) const { return fields[static_cast<size_t>(field)]; }
    bool operator==(const ActionRecord&) const = default;
};
