// SQL functions the search condition may use, registered on every data file connection.
#pragma once

struct sqlite3;

// Registers nulmark(text): the text with each U+0000 replaced by U+FFFF (NULL stays
// NULL). The engine's LIKE stops at a NUL, so a search for a text that holds one
// compares nulmark(column) with the text marked the same way.
void RegisterSearchFunctions(sqlite3* db);
