// The three exchange file layouts (Ver.1, Ver.2, Ver.3): one action per line of
// tab-separated fields, CP932 with CR LF on disk. This file owns the line side only:
// cutting a line into fields, reading the fields into an ActionRecord with its checks,
// and building the line a layout writes. Import and export run over it.
#pragma once

#include "core/ActionRecord.h"

#include <string>
#include <string_view>
#include <vector>

// The one field separator of every exchange file, whatever its name or extension.
inline constexpr char16_t kFieldSeparator = u'\t';

enum class ExchangeLayout : int { Ver1 = 1, Ver2 = 2, Ver3 = 3 };

// Fields a line of the layout has (8, 9, 12) and the fewest a line may have (6, 7, 5).
size_t LayoutFieldCount(ExchangeLayout layout);
size_t LayoutMinimumFields(ExchangeLayout layout);
// True when the layout carries identifiers (Ver.2, Ver.3), so it can replace by them.
bool LayoutHasIdentifiers(ExchangeLayout layout);

// The Ver.3 header: the twelve column names joined by tabs.
std::u16string Ver3HeaderLine();

// Cuts the line at tabs from the left into at most maxFields fields; the last field
// ends at the next tab and anything after it is dropped.
std::vector<std::u16string_view> SplitExchangeLine(std::u16string_view line, size_t maxFields);
// The same into fields (replaced).
void SplitExchangeLine(std::u16string_view line, size_t maxFields, std::vector<std::u16string_view>& fields);

// Why a line was refused, with the code the message shows.
enum class LineFault { None, TooFewFields, BadPeriod, BadIdentifier };
struct LineCheck {
    LineFault fault = LineFault::None;
    int code = 0; // ValidateActionPeriod's -101 … -110, or CheckActionId's -1 / -2
    explicit operator bool() const { return fault == LineFault::None; }
};

// Reads one data line of the layout into record (all twelve fields set; LastUpdate
// absent, since every write stamps it) and checks the period and, for Ver.2 and Ver.3,
// the identifier. The first failing check is returned; record is then unspecified.
LineCheck ParseExchangeLine(ExchangeLayout layout, std::u16string_view line, ActionRecord& record);
// The message that stops an import at line lineNumber (data lines count from 1).
std::u16string LineFaultMessage(long long lineNumber, const LineCheck& check);

// The line the layout writes for the action (without line end).
std::u16string FormatExchangeLine(ExchangeLayout layout, const ActionRecord& record);
// The same appended to line.
void AppendExchangeLine(ExchangeLayout layout, const ActionRecord& record, std::u16string& line);

// A field text as every layout writes it unquoted: a tab becomes a blank and CR and
// LF are dropped, so the line keeps its fields and stays one line. Appended to line.
void AppendPlainField(std::u16string& line, std::u16string_view text);

// The Ver.3 memo field: a double quote, the escaped memo, a double quote.
std::u16string QuoteMemo(const OptText& memo);
// The memo read from a Ver.3 field: a quoted field is unquoted and unescaped, any
// other field is taken as it is.
std::u16string UnquoteMemo(std::u16string_view field);
// The leading decimal number of a coordinate field, as text; absent when the field
// does not begin with one.
OptText ReadCoordinateField(std::u16string_view field);
