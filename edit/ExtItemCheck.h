// The character classes and value grammars of extended items, shared by the reader of
// the text form and by the editor's field checks.
#pragma once

#include "edit/ExtItem.h"

#include <cstddef>
#include <string_view>

// Returned by the grammar checks when the whole text matches.
inline constexpr size_t kTextMatches = static_cast<size_t>(-1);

bool IsAsciiLetter(char16_t c);
bool IsAsciiDigit(char16_t c);
// Letters, digits and "_": the characters of names and type names after the first.
bool IsNameChar(char16_t c);
// ASCII letters, digits, "_" and the Japanese ranges labels may use.
bool IsDisplayNameChar(char16_t c);
// The characters a quoted value may hold unescaped.
bool IsStringChar(char16_t c);

// Each check returns kTextMatches, or the position of the first character that does
// not fit (the length of the text when it ends too early).
size_t CheckNameText(std::u16string_view text);        // a letter, then letters, digits, "_"
size_t CheckDisplayNameText(std::u16string_view text); // one or more display-name characters
size_t CheckIntegerText(std::u16string_view text);     // [+-] blanks digits
size_t CheckFloatText(std::u16string_view text);       // [+-] blanks digits [. digits] [e(+|-)digits]
size_t CheckDateText(std::u16string_view text);        // digits sep digits sep digits, sep "/" or "."
size_t CheckTimeText(std::u16string_view text);        // digits ":" digits ":" digits
size_t CheckDateTimeText(std::u16string_view text);    // date, blanks, time
size_t CheckFilePathText(std::u16string_view text);    // "/" or "\" first, no " * < > ? |, no blank last

// Checks a value by the grammar of its type; string types always match, an unknown
// type never does (position 0).
size_t CheckValueText(int typeIndex, std::u16string_view value);

// Field codes of the editor's check.
inline constexpr int kExtFieldName = -1000;
inline constexpr int kExtFieldDisplayName = -2000;
inline constexpr int kExtFieldReserved = -3000;
inline constexpr int kExtFieldInt = -4000;
inline constexpr int kExtFieldFloat = -5000;
inline constexpr int kExtFieldString = -6000;
inline constexpr int kExtFieldDate = -7000;
inline constexpr int kExtFieldTime = -8000;
inline constexpr int kExtFieldDateTime = -9000;
inline constexpr int kExtFieldFile = -10000;
inline constexpr int kExtFieldMlString = -11000;
inline constexpr int kExtFieldType = -12000;

// Checks one item field by field: 0, or the code of the first failing field with the
// position of the failing character in that field.
int CheckExtItem(const ExtItem& item, size_t& position);
// The label the editor shows for a field code ("名前", "値(int)" …, "いずれかの" for others).
std::u16string_view ExtFieldLabel(int code);
