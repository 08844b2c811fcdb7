// Decoding table leaf pages of a data file without the engine.
#include "salvage/PageScan.h"

#include "core/Paths.h"
#include "core/Utf.h"
#include "store/UserDataLayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned char kTableLeaf = 0x0D;
constexpr long long kMaxPayload = 1000000000; // the engine's longest value
constexpr size_t kGuessSample = 8u << 20;

unsigned Be16(const unsigned char* p) {
    return (static_cast<unsigned>(p[0]) << 8) | p[1];
}
std::uint32_t Be32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

// A varint of one to nine bytes; false when it runs past end.
bool ReadVarint(const unsigned char*& p, const unsigned char* end, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (p >= end) return false;
        unsigned char b = *p++;
        if (i == 8) {
            value = (value << 8) | b;
            return true;
        }
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return true;
}

// Whether the bytes at a page start look like a b-tree page of the given size.
bool LooksLikePage(const unsigned char* page, unsigned size, unsigned headerOffset) {
    unsigned char flag = page[headerOffset];
    if (flag != 0x02 && flag != 0x05 && flag != 0x0A && flag != kTableLeaf) return false;
    unsigned headerSize = (flag == 0x02 || flag == 0x05) ? 12 : 8;
    unsigned cells = Be16(page + headerOffset + 3);
    unsigned content = Be16(page + headerOffset + 5);
    if (content == 0) content = 65536;
    unsigned arrayEnd = headerOffset + headerSize + 2 * cells;
    if (cells == 0 || arrayEnd > size || content > size || content < arrayEnd) return false;
    for (unsigned i = 0; i < cells; ++i) {
        unsigned cell = Be16(page + headerOffset + headerSize + 2 * i);
        if (cell < content || cell >= size) return false;
    }
    return true;
}

class PageFile {
public:
    explicit PageFile(const std::u16string& path) : fd_(open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && fstat(fd_, &st) == 0) size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~PageFile() {
        if (fd_ >= 0) close(fd_);
    }
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    // Reads the header, or finds the page size from the pages when it is lost.
    bool Prepare() {
        if (fd_ < 0 || size_ < 512) return false;
        std::string sample(static_cast<size_t>(std::min<std::uint64_t>(size_, kGuessSample)), '\0');
        if (!ReadAt(0, sample.data(), sample.size())) return false;
        const auto* h = reinterpret_cast<const unsigned char*>(sample.data());
        unsigned declared = Be16(h + 16) == 1 ? 65536 : Be16(h + 16);
        headerValid_ = std::memcmp(h, "SQLite format 3", 16) == 0 && declared >= 512 && declared <= 65536 &&
                       (declared & (declared - 1)) == 0 && h[20] < 128;
        if (headerValid_) {
            pageSize_ = declared;
            usable_ = declared - h[20];
            encoding_ = Be32(h + 56);
            freeTrunk_ = Be32(h + 32);
        } else {
            pageSize_ = GuessPageSize(sample);
            usable_ = pageSize_;
        }
        if (pageSize_ == 0) return false;
        pages_ = static_cast<std::uint32_t>(size_ / pageSize_);
        return pages_ > 0;
    }

    // Page n (from 1); false beyond the end of the file.
    bool ReadPage(std::uint32_t n, std::vector<unsigned char>& page) const {
        if (n == 0 || n > pages_) return false;
        page.resize(pageSize_);
        return ReadAt(static_cast<std::uint64_t>(n - 1) * pageSize_, page.data(), pageSize_);
    }

    // The pages on the free list (when the header can be trusted).
    std::vector<bool> FreePages() const {
        std::vector<bool> free(pages_ + 1, false);
        std::vector<unsigned char> trunk;
        std::uint32_t next = headerValid_ ? freeTrunk_ : 0;
        for (std::uint32_t guard = 0; next && guard <= pages_ && ReadPage(next, trunk) && !free[next]; ++guard) {
            free[next] = true;
            std::uint32_t leaves = Be32(trunk.data() + 4);
            for (std::uint32_t i = 0; i < leaves && 8 + 4 * i + 4 <= usable_; ++i) {
                std::uint32_t leaf = Be32(trunk.data() + 8 + 4 * i);
                if (leaf <= pages_) free[leaf] = true;
            }
            next = Be32(trunk.data());
        }
        return free;
    }

    std::uint32_t pages() const { return pages_; }
    unsigned usable() const { return usable_; }
    std::uint32_t encoding() const { return encoding_; }

private:
    bool ReadAt(std::uint64_t offset, void* into, size_t length) const {
        auto* out = static_cast<char*>(into);
        while (length > 0) {
            ssize_t got = pread(fd_, out, length, static_cast<off_t>(offset));
            if (got <= 0) return false;
            out += got, offset += static_cast<std::uint64_t>(got), length -= static_cast<size_t>(got);
        }
        return true;
    }

    int fd_;
    std::uint64_t size_ = 0;
    unsigned pageSize_ = 0;
    unsigned usable_ = 0;
    std::uint32_t pages_ = 0;
    std::uint32_t encoding_ = 1;
    std::uint32_t freeTrunk_ = 0;
    bool headerValid_ = false;
};

class LeafDecoder {
public:
    explicit LeafDecoder(const PageFile& file) : file_(file) {}

    // Offers the rows of one table leaf page; false when take asked to stop.
    bool DecodePage(std::uint32_t n, const std::vector<unsigned char>& page, PageScanResult& result,
                    const std::function<bool(const SalvagedRow&)>& take) {
        const unsigned offset = n == 1 ? 100 : 0;
        if (page[offset] != kTableLeaf || !LooksLikePage(page.data(), file_.usable(), offset)) return true;
        const unsigned cells = Be16(page.data() + offset + 3);
        for (unsigned i = 0; i < cells; ++i) {
            unsigned cell = Be16(page.data() + offset + 8 + 2 * i);
            if (!DecodeCell(page, cell)) continue;
            ++result.rows;
            if (!take(row_)) return false;
        }
        return true;
    }

private:
    // The cell's payload (its local part and overflow chain) into payload_.
    bool GatherPayload(const std::vector<unsigned char>& page, const unsigned char* p, std::uint64_t size) {
        const long long usable = file_.usable();
        const long long maxLocal = usable - 35, minLocal = (usable - 12) * 32 / 255 - 23;
        long long local = static_cast<long long>(size);
        if (local > maxLocal) {
            long long k = minLocal + (local - minLocal) % (usable - 4);
            local = k <= maxLocal ? k : minLocal;
        }
        const unsigned char* end = page.data() + usable;
        bool overflows = static_cast<std::uint64_t>(local) < size;
        if (p + local + (overflows ? 4 : 0) > end) return false;
        payload_.assign(p, p + local);
        if (!overflows) return true;
        std::uint32_t next = Be32(p + local);
        std::uint32_t guard = 0;
        while (payload_.size() < size) {
            if (next == 0 || ++guard > file_.pages() || !file_.ReadPage(next, overflow_)) return false;
            size_t take = std::min<size_t>(static_cast<size_t>(size) - payload_.size(), file_.usable() - 4);
            payload_.insert(payload_.end(), overflow_.begin() + 4, overflow_.begin() + 4 + static_cast<long>(take));
            next = Be32(overflow_.data());
        }
        return true;
    }

    bool DecodeCell(const std::vector<unsigned char>& page, unsigned cell) {
        if (cell >= file_.usable()) return false;
        const unsigned char* p = page.data() + cell;
        const unsigned char* end = page.data() + file_.usable();
        std::uint64_t size = 0, rowid = 0;
        if (!ReadVarint(p, end, size) || !ReadVarint(p, end, rowid)) return false;
        if (size == 0 || size > static_cast<std::uint64_t>(kMaxPayload)) return false;
        if (!GatherPayload(page, p, size)) return false;
        row_.rowid = static_cast<long long>(rowid);
        row_.hasRowid = true;
        return DecodeRecord();
    }

    // Twelve values shaped like a t_UserData row, converted by the column rules.
    bool DecodeRecord() {
        const unsigned char* p = payload_.data();
        const unsigned char* end = p + payload_.size();
        std::uint64_t headerSize = 0;
        if (!ReadVarint(p, end, headerSize) || headerSize > payload_.size()) return false;
        const unsigned char* headerEnd = payload_.data() + headerSize;
        std::uint64_t types[ActionField::Count];
        int count = 0;
        while (p < headerEnd) {
            if (count == ActionField::Count) return false;
            if (!ReadVarint(p, headerEnd, types[count++])) return false;
        }
        if (count != ActionField::Count) return false;
        const unsigned char* body = headerEnd;
        SalvageValue values[ActionField::Count];
        for (int f = 0; f < ActionField::Count; ++f) {
            if (!ReadValue(types[f], body, end, values[f], f)) return false;
            if (!ShapeFits(f, values[f].type)) return false;
        }
        if (body != end) return false;
        for (int f = 0; f < ActionField::Count; ++f)
            row_.record[f] = ConvertSalvageValue(values[f], SalvageKindOf(kUserDataColumns[f]));
        return true;
    }

    static bool ShapeFits(int field, SalvageValue::Type type) {
        if (type == SalvageValue::Null) return true;
        if (field == ActionField::Latitude || field == ActionField::Longitude)
            return type == SalvageValue::Float || type == SalvageValue::Integer;
        return type == SalvageValue::Text;
    }

    bool ReadValue(std::uint64_t type, const unsigned char*& p, const unsigned char* end, SalvageValue& value,
                   int field) {
        static constexpr int kIntBytes[] = {0, 1, 2, 3, 4, 6, 8};
        value = SalvageValue{};
        if (type == 0) return true;
        if (type <= 6) {
            int bytes = kIntBytes[type];
            if (end - p < bytes) return false;
            std::uint64_t v = (p[0] & 0x80) ? ~0ull : 0;
            for (int i = 0; i < bytes; ++i)
                v = (v << 8) | p[i];
            p += bytes;
            value.type = SalvageValue::Integer;
            value.integer = static_cast<long long>(v);
            return true;
        }
        if (type == 7) {
            if (end - p < 8) return false;
            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = (bits << 8) | p[i];
            p += 8;
            value.type = SalvageValue::Float;
            std::memcpy(&value.real, &bits, sizeof bits);
            return true;
        }
        if (type == 8 || type == 9) {
            value.type = SalvageValue::Integer;
            value.integer = type == 9;
            return true;
        }
        if (type < 12) return false;
        std::uint64_t length = (type - 12) / 2;
        if (static_cast<std::uint64_t>(end - p) < length) return false;
        std::string_view bytes(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
        p += length;
        if (type % 2 == 0) {
            value.type = SalvageValue::Blob;
            value.bytes = bytes;
            return true;
        }
        value.type = SalvageValue::Text;
        value.bytes = TextBytes(bytes, field);
        return true;
    }

    // Texts of a UTF-16 file are turned into UTF-8, the form the column rules read.
    std::string_view TextBytes(std::string_view bytes, int field) {
        if (file_.encoding() != 2 && file_.encoding() != 3) return bytes;
        std::u16string text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            text += static_cast<char16_t>(file_.encoding() == 2 ? (b << 8) | a : (a << 8) | b);
        }
        utf8_[static_cast<size_t>(field)] = ToUtf8(text);
        return utf8_[static_cast<size_t>(field)];
    }

    const PageFile& file_;
    std::vector<unsigned char> payload_;
    std::vector<unsigned char> overflow_;
    std::string utf8_[ActionField::Count];
    SalvagedRow row_;
};

} // namespace

unsigned GuessPageSize(std::string_view bytes) {
    unsigned best = 0;
    size_t bestHits = 0;
    for (unsigned size = 512; size <= 65536; size *= 2) {
        size_t hits = 0;
        for (size_t at = size; at + size <= bytes.size(); at += size) {
            if (LooksLikePage(reinterpret_cast<const unsigned char*>(bytes.data() + at), size, 0)) ++hits;
        }
        if (hits > 0 && hits >= bestHits) best = size, bestHits = hits;
    }
    return best;
}

PageScanResult ScanPagesForRows(const std::u16string& path, bool keepFreePages,
                                const std::function<bool(const SalvagedRow&)>& take) {
    PageScanResult result;
    PageFile file(path);
    if (!file.Prepare()) return result;
    result.readable = true;
    std::vector<bool> skip = keepFreePages ? std::vector<bool>(file.pages() + 1, false) : file.FreePages();
    LeafDecoder decoder(file);
    std::vector<unsigned char> page;
    for (std::uint32_t n = 1; n <= file.pages(); ++n) {
        if (skip[n] || !file.ReadPage(n, page)) continue;
        if (!decoder.DecodePage(n, page, result, take)) {
            result.stopped = true;
            break;
        }
    }
    return result;
}
