// The action index: identifiers and start texts of all actions (or of the current
// search result) in start order. Both are fixed-width ASCII and kept packed, so a
// million actions take about 37 MB (a little more with room for new entries).
#pragma once

#include "core/BinarySearch.h"
#include "core/MessageBox.h"
#include "core/ResultCodes.h"
#include "store/PackedBytes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class UserDataTable;

class ActionIndex {
public:
    static constexpr size_t kIdWidth = 18;
    static constexpr size_t kStartWidth = 19;

    long long count() const { return static_cast<long long>(ids_.size() / kIdWidth); }
    // Bytes held, room for further entries included.
    size_t MemoryBytes() const;
    // Makes room for the given number of entries in all (no more, so that a million
    // entries stay near 37 MB).
    void Reserve(long long entries);
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
    // Positions of every entry with the identifier, in ascending order.
    std::vector<long long> FindAllIds(std::u16string_view id) const;
    // Takes the entry at from out and puts (id, start) in at position to, counted
    // after the removal; only the entries in between move.
    void MoveTo(long long from, long long to, std::u16string_view id, std::u16string_view start);
    // First position whose (start, id) is greater than the given pair, as the engine
    // orders texts; the entry at skip (when not -1) is left out of the count.
    long long UpperPosition(std::u16string_view start, std::u16string_view id, long long skip = -1) const;

private:
    // A slot holds its text when the text is ASCII of exactly the width; otherwise
    // the slot is kOutside followed by the number of the text in outside_.
    static constexpr char kOutside = '\x01';
    std::u16string Unpack(std::string_view slot) const;
    // The slot's bytes for the text: the text itself, or kOutside and its number.
    void Encode(char* slot, std::u16string_view text, size_t width);
    void Pack(PackedBytes& into, size_t at, std::u16string_view text, size_t width);
    // Makes room for one more entry, growing by a sixteenth (not doubling).
    void Grow();
    std::string_view Slot(const PackedBytes& of, long long position, size_t width) const {
        return std::string_view(of.data() + static_cast<size_t>(position) * width, width);
    }

    PackedBytes ids_;
    PackedBytes starts_;
    std::vector<std::u16string> outside_;
    // A 16-bit hash of each packed identifier, so that finding an identifier reads
    // 2 bytes per entry instead of 18. Made on the first search after a rebuild and
    // kept up to date from then on.
    static uint16_t HashOf(const char* slot);
    void MakeHashes() const;
    mutable std::vector<uint16_t> hashes_;
    mutable bool hashed_ = false;
};

// Refills the index from t_UserData in start order. searchCondition, when not empty,
// is the WHERE fragment of the active search (without "where"): then only matching
// actions are held. Engine code on failure (the index is then empty).
HRESULT RebuildActionIndex(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition = {});

// RebuildActionIndex for the commands that change the table (import, edit, delete,
// change of data file): a failure is told to the user ("アクション一覧の読込みに失敗
// しました。…", with the engine's code), so that no command reports completion over an
// empty or partial index. Same result.
HRESULT RebuildActionIndexOrTell(UserDataTable& table, ActionIndex& index, std::u16string_view searchCondition,
                                 WindowHandle owner);
// Brings the index up to date after one action was inserted, updated or deleted
// (call it after the write),
// without reading the table again: the result always equals RebuildActionIndex.
// Any entry with the identifier is removed, then the action (when it exists and
// matches the search condition) is read and put in place by bisection.
HRESULT RefreshIndexAfterSave(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                              std::u16string_view searchCondition = {});
// RefreshIndexAfterSave for the commands that change one action (edit dialog, recorder):
// when the action cannot be read back, the whole index is read again, and when that
// fails too the user is told as RebuildActionIndexOrTell tells it (the index is then
// empty). S_OK, or the engine's code: the caller must not go on as if the index held
// the diary.
HRESULT RefreshIndexAfterSaveOrTell(UserDataTable& table, ActionIndex& index, std::u16string_view id,
                                    std::u16string_view searchCondition, WindowHandle owner);

// Position of the action in the index; -101 empty index, -103 query failed, -104 no
// such action in the table, -105 read failed, -1 not in the index.
long long FindActionInIndex(UserDataTable& table, const ActionIndex& index, std::u16string_view id);

// Lower: first position whose start is not less than (date, time); Upper: first
// position whose start is greater. count() when all are less, -101 when empty.
long long SearchActionIndex(const ActionIndex& index, std::u16string_view date, std::u16string_view time,
                            SearchMode mode);
