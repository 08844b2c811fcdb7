// The deepest pass: rows read straight from the pages of a data file, without the
// engine. Every page that looks like a leaf of a table is decoded cell by cell
// (overflow chains followed), and each record of twelve fields shaped like a
// t_UserData row is offered with its row number. It finds rows the engine can no
// longer reach: pages cut off by a damaged parent page, or a file whose first page
// is lost (the page size is then found from the pages themselves).
#pragma once

#include "salvage/UserDataReader.h"

#include <functional>
#include <string>
#include <string_view>

struct PageScanResult {
    bool readable = false; // the file could be opened and had pages of a known size
    long long rows = 0;    // records offered
    bool stopped = false;  // take asked to stop
};

// Offers each record to take (false stops the scan). Pages on the free list are left
// out unless keepFreePages (they hold deleted and superseded rows); a file without a
// readable first page has no known free list.
PageScanResult ScanPagesForRows(const std::u16string& path, bool keepFreePages,
                                const std::function<bool(const SalvagedRow&)>& take);

// The page size a file's pages suggest (512 … 65536), 0 when nothing looks like a page.
unsigned GuessPageSize(std::string_view bytes);
