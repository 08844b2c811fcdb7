// A byte array for the packed columns of the action index: appending a few bytes is
// a copy without a call into the library, and room grows only when asked to (by the
// amount asked for), so a million entries do not double their memory.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

class PackedBytes {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return room_.size(); }
    char* data() { return room_.data(); }
    const char* data() const { return room_.data(); }
    char operator[](size_t i) const { return room_[i]; }
    void clear() { size_ = 0; }

    // Room for exactly bytes in all (nothing happens when there is room already).
    void reserve(size_t bytes) {
        if (bytes <= room_.size()) return;
        std::vector<char> larger(bytes);
        if (size_ > 0) std::memcpy(larger.data(), room_.data(), size_);
        room_.swap(larger);
    }
    // Appends n bytes; there must be room (reserve first).
    void append(const char* bytes, size_t n) {
        std::memcpy(room_.data() + size_, bytes, n);
        size_ += n;
    }
    // Inserts n bytes at the offset; there must be room.
    void insert(size_t at, const char* bytes, size_t n) {
        std::memmove(room_.data() + at + n, room_.data() + at, size_ - at);
        std::memcpy(room_.data() + at, bytes, n);
        size_ += n;
    }
    void erase(size_t at, size_t n) {
        std::memmove(room_.data() + at, room_.data() + at + n, size_ - at - n);
        size_ -= n;
    }
    bool operator==(const PackedBytes& other) const {
        return size_ == other.size_ && (size_ == 0 || std::memcmp(room_.data(), other.room_.data(), size_) == 0);
    }

private:
    std::vector<char> room_;
    size_t size_ = 0;
};
