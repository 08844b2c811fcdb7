// The rows an import has read and checked, held until every line has passed. A
// whole file is held at once, so the rows are packed back to back in large blocks as
// the UTF-8 texts they are written with: per row its field lengths (one or two bytes
// each as a rule) and the twelve texts. A million rows of usual length take about
// the size of the file instead of twice it.
#pragma once

#include "core/ActionRecord.h"
#include "store/BulkInsert.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PendingRows {
public:
    void Append(const ActionRecord& record);
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // The row at position as a record again.
    ActionRecord At(size_t position) const;
    // The row at position as views of the held UTF-8 texts (valid while the rows are held).
    void ViewAt(size_t position, ActionUtf8& texts) const;
    void Clear();
    // Moves the rows of other after these (other is left empty).
    void Take(PendingRows& other);

private:
    struct Place {
        std::uint32_t block;
        std::uint32_t offset;
    };
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t used = 0;
        size_t capacity = 0;
    };
    char* Reserve(size_t bytes);

    std::vector<Block> blocks_;
    std::vector<Place> rows_;
    std::string scratch_; // the lengths of the row being packed
    std::string texts_;   // its texts
};
