// The rows an import has read and checked, held until every line has passed. A
// whole file is held at once, so each row keeps its twelve fields packed in one
// text with their lengths (a million rows of usual length take a few hundred MB
// instead of the ~1 GB of a million ActionRecords).
#pragma once

#include "core/ActionRecord.h"
#include "store/BulkInsert.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>

class PendingRows {
public:
    void Append(const ActionRecord& record);
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // The row at position as a record again.
    ActionRecord At(size_t position) const;
    // The row at position as views of the held text (valid while the row is held).
    void ViewAt(size_t position, ActionTexts& texts) const;
    void Clear() { rows_.clear(); }

private:
    static constexpr std::uint32_t kAbsent = UINT32_MAX;
    struct Row {
        std::u16string texts;
        std::array<std::uint32_t, ActionField::Count> lengths;
    };
    // A deque grows without moving or doubling the rows already held.
    std::deque<Row> rows_;
};
