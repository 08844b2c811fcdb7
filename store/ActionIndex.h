// The action index: identifiers and start texts of all actions (or of the current
// search result) in start order. Both are fixed-width ASCII and kept packed, so a
// million actions take about 37 MB.
#pragma once

#include "core/BinarySearch.h"
#include "core/ResultCodes.h"

#include <string>
#include <string_view>
#include <vector>

class UserDataTable;

class ActionIndex {
public:
    static constexpr size_t kIdWidth = 18;
    static constexpr size_t kStartWidth = 19;

    long long count() const { return static_cast<long long>(ids_.size() / kIdWidth); }
    bool empty() const { return ids_.empty(); }
    std::u16string IdAt(long long position) const;
    std::u16string StartAt(long long position) const;
    void Clear();
    void Append(std::u16string_view id, std::u16string_view start);
    // Appends UTF-8 texts as read from the engine; the fast path of a rebuild.
    void AppendUtf8(std::string_view id, std::string_view start);
    void InsertAt(long long position, std::u16string_view id, std::u16string_view start);
    void RemoveAt(long long position);
    // Same entries in the same order.
    bool operator==(const ActionIndex& other) const;
    // Position of the first entry with the identifier at or after from; -1 when none.
    long long FindId(std::u16string_view id, long long from = 0) const;

private:
    // A slot holds its text when the text is ASCII of exactly the width; otherwise
    // the slot is kOutside followed by the number of the text in outside_.
    static constexpr char kOutside = '\x01';
    std::u16string Unpack(std::string_view slot) const;
    void Pack(std::string& into, size_t at, std::u16string_view text, size_t width, bool insert);

    std::string ids_;
    std::string starts_;
    std::vector<std::u16string> outside_;
};

// Refills the index from t_UserData in start order. searchCondition, when not empty,
// is the WHERE fragment of the active search (without "where"): then only matching
// actions are held. Engine code on failure (the index is then empty).
HRESULT RebuildActionIndex(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition = {});

// Brings the index up to date after one action was inserted, updated or deleted
// (call it after the write),
// without reading the table again: the result always equals RebuildActionIndex.
// Any entry with the identifier is removed, then the action (when it exists and
// matches the search condition) is read and put in place by bisection.
HRESULT RefreshIndexAfterSave(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                              std::u16string_view searchCondition = {});

// Position of the action in the index; -101 empty index, -103 query failed, -104 no
// such action in the table, -105 read failed, -1 not in the index.
long long FindActionInIndex(UserDataTable& table, const ActionIndex& index, std::u16string_view id);

// Lower: first position whose start is not less than (date, time); Upper: first
// position whose start is greater. count() when all are less, -101 when empty.
long long SearchActionIndex(const ActionIndex& index, std::u16string_view date, std::u16string_view time,
                            SearchMode mode);
