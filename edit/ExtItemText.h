// The text form of extended items, as the column f_nvcExtItems holds it:
//   name ":" display-name ":" type-name ":" value ":"   for every item, in name order.
// int and float values stand plain; all others are quoted and escaped.
#pragma once

#include "edit/ExtItem.h"

#include <string>
#include <string_view>

// Result codes of ParseValue: the negated state in which reading stopped.
inline constexpr int kPvNameStart = -100;     // the name does not begin with a letter
inline constexpr int kPvName = -110;          // a character that names may not hold
inline constexpr int kPvNameColon = -120;     // blanks after the name, then no ":"
inline constexpr int kPvDisplayStart = -200;  // no display-name character
inline constexpr int kPvDisplay = -210;       // a character display names may not hold
inline constexpr int kPvDisplayColon = -220;  // blanks after the display name, then no ":"
inline constexpr int kPvTypeStart = -300;     // the type name does not begin with a letter
inline constexpr int kPvType = -310;          // a character type names may not hold
inline constexpr int kPvTypeColon = -320;     // the text ends before the ":" after the type
inline constexpr int kPvUnknownType = -400;   // a type name outside the eight
inline constexpr int kPvPlainValue = -500;    // an int or float value without its ":"
inline constexpr int kPvQuote = -600;         // a quoted value does not begin with a quote
inline constexpr int kPvStringChar = -610;    // a character outside the string characters
inline constexpr int kPvEscape = -620;        // an unknown escape after a backslash
inline constexpr int kPvHexEscape = -630;     // the text ends inside a \x escape
inline constexpr int kPvAfterValue = -10100;  // something other than ":" after a value
inline constexpr int kPvFinalColon = -100001; // the text ends right after a value (item kept)

// Reads the text into the list (sorted insert, the first item of a name stays). A value
// that reads but fails its type's grammar drops only its item. Returns 0, or the code
// of the state that failed; the items completed before it stay in the list.
int ParseValue(std::u16string_view text, ExtItemList& list);

// The text form of the list. Every character a quoted value may not hold raw is
// escaped, so every list written here reads back whole.
std::u16string FormatExtItemsText(const ExtItemList& list);
// One value as written between the quotes.
std::u16string EscapeExtValue(std::u16string_view value);
