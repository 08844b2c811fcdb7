// The first column of the first row of a query, as tests read a data file back.
#pragma once

#include <string>

struct sqlite3;

// As UTF-8; "<null>" for NULL and "<none>" when the query fails or has no row.
std::string FirstValue(sqlite3* db, const std::string& sql);

// The same on the file at path, opened read-only beside whatever the store has open.
std::string FirstValueOfFile(const std::string& path, const std::string& sql);
