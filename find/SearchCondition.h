// The search condition builder: the one place where the condition of a search is made.
// It turns the find dialog's values into the text W (a WHERE fragment without "where")
// that narrows the action index and is appended after " and " to every view's range
// query. Typed text enters W only inside a quoted LIKE pattern with its quotes doubled,
// so it is always plain data; "%" and "_" keep their LIKE meaning.
#pragma once

#include <string>
#include <string_view>

// Field mask bits: the text items a search text is looked for in.
inline constexpr int kSearchPlace = 1;
inline constexpr int kSearchCategory1 = 2;
inline constexpr int kSearchCategory2 = 4;
inline constexpr int kSearchMemo = 8;
inline constexpr int kSearchAllFields = 15;

// The start time field's all-day entry.
inline constexpr char16_t kAllDayEntry[] = u"<終日>";

// The find dialog's values as the user set them.
struct SearchValues {
    std::u16string startDate; // "yyyy/mm/dd" or empty
    std::u16string startTime; // "hh:mm", "<終日>" or empty
    std::u16string endDate;
    std::u16string endTime; // "hh:mm" ("24:00" included) or empty
    std::u16string text;    // the search text, as typed
    int fieldMask = kSearchAllFields;
};

// The time passed to the builder for the start field: time + ":00", or empty.
std::u16string BuilderStartTime(std::u16string_view time);
// For the end field: "24:00:00" for "24:00", empty when empty, else time + ":60" so
// that a text comparison takes in the whole end minute.
std::u16string BuilderEndTime(std::u16string_view time);
// Every single quote doubled.
std::u16string DoubleQuotes(std::u16string_view text);

// Builds W from the dialog's values: the all-day entry, the builder times, the quote
// doubling and the fragments in their documented order. Dates and times are read as the
// dialog holds them (at most 10 and 8 characters). Returns 0, or -101 when a date or
// time is not one the dialog could hold (W is then empty).
int BuildSearchCondition(const SearchValues& values, std::u16string& condition);
