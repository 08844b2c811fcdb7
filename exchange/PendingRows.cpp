// Packing checked import rows into one text each.
#include "exchange/PendingRows.h"

void PendingRows::Append(const ActionRecord& record) {
    Row row;
    size_t total = 0;
    for (const OptText& text : record.fields)
        total += text ? text->size() : 0;
    row.texts.reserve(total);
    for (int f = 0; f < ActionField::Count; ++f) {
        const OptText& text = record[f];
        row.lengths[static_cast<size_t>(f)] = text ? static_cast<std::uint32_t>(text->size()) : kAbsent;
        if (text) row.texts += *text;
    }
    rows_.push_back(std::move(row));
}

ActionRecord PendingRows::At(size_t position) const {
    const Row& row = rows_[position];
    ActionRecord record;
    size_t from = 0;
    for (int f = 0; f < ActionField::Count; ++f) {
        std::uint32_t length = row.lengths[static_cast<size_t>(f)];
        if (length == kAbsent) continue;
        record[f] = row.texts.substr(from, length);
        from += length;
    }
    return record;
}

void PendingRows::ViewAt(size_t position, ActionTexts& texts) const {
    const Row& row = rows_[position];
    std::u16string_view all = row.texts;
    size_t from = 0;
    for (size_t f = 0; f < ActionField::Count; ++f) {
        std::uint32_t length = row.lengths[f];
        texts.present[f] = length != kAbsent;
        if (length == kAbsent) {
            texts.text[f] = {};
            continue;
        }
        texts.text[f] = all.substr(from, length);
        from += length;
    }
}
