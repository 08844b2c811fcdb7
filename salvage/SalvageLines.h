// The lines the salvage tool writes: a readable row as a Ver.3 exchange line (with
// "(NULL)" for some absent fields and a made identifier where the row has no usable
// one), and a row it cannot use as a line of the error file.
#pragma once

#include "core/ActionRecord.h"

#include <string>

// Numbers 0 … 99 for made identifiers; starts at 0 for each export, wraps after 99.
class IdentifierCounter {
public:
    void Reset() { next_ = 0; }
    // "ID" + the local date and time + the counter, which then moves on.
    std::u16string MakeIdentifier();

private:
    int next_ = 0;
};

// An error row: its start or end is absent or shorter than 19 characters, or the
// period does not pass the import's check (the import would refuse the whole file).
bool IsSalvageErrorRow(const ActionRecord& record);

// The identifier the export line carries: the first 18 characters of the row's own
// when it has that many and they begin with "ID"; otherwise a made one.
std::u16string SalvageIdentifier(const ActionRecord& record, IdentifierCounter& counter);

// The Ver.3 line of a row (not an error row), appended to line without a line end.
void AppendSalvageLine(const ActionRecord& record, IdentifierCounter& counter, std::u16string& line);
// The error file's line: twelve fields, absent ones "(no data)" (latitude and
// longitude empty, extended items nothing), the memo as it is.
void AppendErrorLine(const ActionRecord& record, std::u16string& line);
