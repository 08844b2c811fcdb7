// Packing checked import rows as UTF-8 into large blocks. A row is its twelve
// lengths as variable-length numbers (0 absent, otherwise length + 1; seven bits a
// byte) followed by its texts; a row never spans two blocks.
#include "exchange/PendingRows.h"

#include "core/Utf.h"

#include <cstring>

namespace {

constexpr size_t kBlockBytes = size_t{4} << 20;

void PutNumber(std::string& out, size_t value) {
    while (value >= 0x80) {
        out += static_cast<char>(0x80 | (value & 0x7F));
        value >>= 7;
    }
    out += static_cast<char>(value);
}

size_t TakeNumber(const char*& at) {
    size_t value = 0;
    for (int shift = 0;; shift += 7) {
        auto byte = static_cast<unsigned char>(*at++);
        value |= static_cast<size_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return value;
    }
}

} // namespace

char* PendingRows::Reserve(size_t bytes) {
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < bytes) {
        Block block;
        block.capacity = std::max(bytes, kBlockBytes);
        block.bytes.reset(new char[block.capacity]);
        blocks_.push_back(std::move(block));
    }
    Block& last = blocks_.back();
    rows_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(last.used)});
    char* at = last.bytes.get() + last.used;
    last.used += bytes;
    return at;
}

void PendingRows::Append(const ActionRecord& record) {
    scratch_.clear();
    size_t lengthsAt[ActionField::Count];
    std::string& texts = texts_;
    texts.clear();
    for (int f = 0; f < ActionField::Count; ++f) {
        const OptText& text = record[f];
        lengthsAt[f] = texts.size();
        if (text) AppendUtf8(*text, texts);
    }
    for (int f = 0; f < ActionField::Count; ++f) {
        size_t end = f + 1 < ActionField::Count ? lengthsAt[f + 1] : texts.size();
        PutNumber(scratch_, record[f] ? end - lengthsAt[f] + 1 : 0);
    }
    char* at = Reserve(scratch_.size() + texts.size());
    std::memcpy(at, scratch_.data(), scratch_.size());
    std::memcpy(at + scratch_.size(), texts.data(), texts.size());
}

void PendingRows::ViewAt(size_t position, ActionUtf8& texts) const {
    Place place = rows_[position];
    const char* at = blocks_[place.block].bytes.get() + place.offset;
    size_t lengths[ActionField::Count];
    for (size_t f = 0; f < ActionField::Count; ++f)
        lengths[f] = TakeNumber(at);
    for (size_t f = 0; f < ActionField::Count; ++f) {
        texts.present[f] = lengths[f] != 0;
        size_t length = lengths[f] ? lengths[f] - 1 : 0;
        texts.text[f] = std::string_view(at, length);
        at += length;
    }
}

ActionRecord PendingRows::At(size_t position) const {
    ActionUtf8 texts;
    ViewAt(position, texts);
    ActionRecord record;
    for (size_t f = 0; f < ActionField::Count; ++f)
        if (texts.present[f]) record[static_cast<int>(f)] = FromUtf8(texts.text[f]);
    return record;
}

void PendingRows::Clear() {
    blocks_.clear();
    rows_.clear();
}

void PendingRows::Take(PendingRows& other) {
    auto first = static_cast<std::uint32_t>(blocks_.size());
    for (Block& block : other.blocks_)
        blocks_.push_back(std::move(block));
    rows_.reserve(rows_.size() + other.rows_.size());
    for (Place place : other.rows_)
        rows_.push_back({place.block + first, place.offset});
    other.Clear();
}
