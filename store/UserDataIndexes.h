// The two indexes of t_UserData (identifier; start and identifier), dropped for a
// bulk load into an empty table and made again, by sorting, before it is committed.
// Defined beside the schema (DataFileTables.cpp). Engine codes.
#pragma once

#include "core/ResultCodes.h"

struct sqlite3;

HRESULT DropUserDataIndexes(sqlite3* db);
HRESULT CreateUserDataIndexes(sqlite3* db);
