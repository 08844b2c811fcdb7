// The passes after the documented one, for a table whose reading stopped at damage:
// the rows after the failing one read by ranges of row numbers (ranges that fail are
// halved until single rows, which are skipped), then the rows found by reading the
// file's pages directly.
#pragma once

#include "salvage/SalvageOutput.h"

#include <string>

struct sqlite3;

enum class PassEnd { Done, WriteFailed };

// Reads t_UserData rows numbered above lastRowid. Every row goes to output.
PassEnd ReadRowsAfter(sqlite3* db, long long lastRowid, SalvageOutput& output);

// Offers every row the page scan finds in the file (PageScan.h) to output; rows it
// has written already are skipped there.
PassEnd ScanFileForRows(const std::u16string& path, bool keepFreePages, SalvageOutput& output);

// Whether the file holds a table named t_UserData in its schema.
bool HasUserDataTable(sqlite3* db);
