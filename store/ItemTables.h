// The item tables: named texts (t_SysInfo, t_TextData), named integers (t_LongData)
// and the recorder history rows (t_RcdrData). Setting an item inserts it when it is
// missing and rewrites it otherwise, so an item name stays unique.
#pragma once

#include "store/TableBase.h"

class ItemTextTable : public TableBase {
public:
    ItemTextTable(sqlite3* db, std::string tableName, std::string indexName);
    // S_OK and the value (absent when NULL); DB_E_NOTFOUND when the item is missing.
    HRESULT GetItemText(std::u16string_view item, OptText& value);
    // The value is cut to 500 code units, the name to 20.
    HRESULT SetItemText(std::u16string_view item, const OptText& value);
};

class ItemIntTable : public TableBase {
public:
    explicit ItemIntTable(sqlite3* db);
    HRESULT GetItemInt(std::u16string_view item, int& value);
    HRESULT SetItemInt(std::u16string_view item, int value);
};

class RecorderHistoryTable : public TableBase {
public:
    explicit RecorderHistoryTable(sqlite3* db);
    // Inserts the row of the sequence number or rewrites its identifier.
    HRESULT SetHistoryEntry(int sequenceNumber, std::u16string_view id);
};
