// SQL functions the search condition may use, registered on every data file connection.
#pragma once

struct sqlite3;

// Registers nulmark(text): the text with each U+0000 replaced by U+FFFF (NULL stays
// NULL). The engine's LIKE stops at a NUL, so a search for a text that holds one
// compares nulmark(column) with the text marked the same way. Also replaces the
// two-argument like() by one that reads a stored text past its NULs, marked the same
// way, so "会社" finds "x\0会社"; texts without a NUL match exactly as before.
void RegisterSearchFunctions(sqlite3* db);
