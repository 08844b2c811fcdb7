// Moving values between SQLite statements and the program's texts: parameters are
// bound as text, columns are read back in the program's text forms.
#pragma once

#include "core/ActionRecord.h"
#include "core/ResultCodes.h"
#include "store/TableBase.h"

#include <string_view>
#include <vector>

// Binds the texts to ?1, ?2, … (absent = NULL).
HRESULT BindTexts(sqlite3_stmt* stmt, const std::vector<OptText>& texts);
HRESULT BindText(sqlite3_stmt* stmt, int index, const OptText& text);
// A column as text: "%d", "%f", the stored text, "yyyy/mm/dd hh:mm:ss"; NULL is absent.
OptText ColumnText(sqlite3_stmt* stmt, int column, ColumnKind kind);
// A text cut to width UTF-16 code units, never splitting a surrogate pair.
std::u16string CutToWidth(std::u16string_view text, size_t width);
// The engine's form of a LastUpdate text ("YYYY-MM-DD HH:MM:SS"); absent when the
// text is not a timestamp.
OptText TimestampToEngine(std::u16string_view text);
