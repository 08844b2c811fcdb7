// CP932 conversion with cached iconv descriptors (one pair per thread), since
// import and export convert a line at a time.
#include "core/Cp932.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

// The byte order of char16_t in memory.
const char* Utf16Name() {
    const char16_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1 ? "UTF-16LE" : "UTF-16BE";
}

Converter& Encoder() {
    thread_local Converter c("CP932", Utf16Name());
    return c;
}

Converter& Decoder() {
    thread_local Converter c(Utf16Name(), "CP932");
    return c;
}

// The precomposed form of base + mark, or 0 when there is none.
char16_t Composed(char16_t base, char16_t mark) {
    bool hira = base >= 0x3041 && base <= 0x309F;
    char16_t h = hira ? base : static_cast<char16_t>(base - 0x60); // katakana shares the hiragana layout
    bool kata = !hira && base >= 0x30A1 && base <= 0x30FF;
    if (!hira && !kata) return 0;
    bool voicedRow = (h >= 0x304B && h <= 0x3062 && (h - 0x304B) % 2 == 0) || h == 0x3064 || h == 0x3066 ||
                     h == 0x3068 || (h >= 0x306F && h <= 0x307B && (h - 0x306F) % 3 == 0);
    bool hRow = h >= 0x306F && h <= 0x307B && (h - 0x306F) % 3 == 0;
    if (mark == 0x3099) {
        if (voicedRow) return static_cast<char16_t>(base + 1);
        if (base == 0x3046) return 0x3094; // う → ゔ
        if (base == 0x30A6) return 0x30F4; // ウ → ヴ
        if (base == 0x309D || base == 0x30FD) return static_cast<char16_t>(base + 1);
        if (base >= 0x30EF && base <= 0x30F2) return static_cast<char16_t>(base + 8); // ワ ヰ ヱ ヲ
        return 0;
    }
    if (mark == 0x309A && hRow) return static_cast<char16_t>(base + 2);
    return 0;
}

bool HasSoundMark(std::u16string_view text) {
    for (char16_t c : text)
        if (c == 0x3099 || c == 0x309A) return true;
    return false;
}

bool IsAscii(char16_t c) {
    return c < 0x80;
}

bool IsAsciiByte(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// Appends a run through iconv: the path for runs that hold a surrogate.
void EncodeRunByIconv(std::u16string_view run, std::string& out) {
    Converter& conv = Encoder();
    if (!conv.ok()) {
        out.append(run.size(), '?');
        return;
    }
    conv.Reset();
    size_t used = out.size();
    out.resize(used + run.size() * 2 + 16);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(run.data()));
    size_t inLeft = run.size() * sizeof(char16_t);
    char* dst = out.data() + used;
    size_t outLeft = out.size() - used;
    auto grow = [&] {
        size_t at = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + at;
        outLeft = out.size() - at;
    };
    while (inLeft > 0) {
        size_t r = iconv(conv.get(), &in, &inLeft, &dst, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            grow();
            continue;
        }
        // Not representable (or a broken surrogate): one "?" for the whole code point.
        if (outLeft == 0) grow();
        *dst++ = '?';
        --outLeft;
        char16_t first;
        std::memcpy(&first, in, sizeof first);
        size_t units = 1;
        if (first >= 0xD800 && first <= 0xDBFF && inLeft >= 4) {
            char16_t second;
            std::memcpy(&second, in + 2, sizeof second);
            if (second >= 0xDC00 && second <= 0xDFFF) units = 2;
        }
        in += units * sizeof(char16_t);
        inLeft -= units * sizeof(char16_t);
        conv.Reset();
    }
    out.resize(static_cast<size_t>(dst - out.data()));
}

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The CP932 form of one character outside the surrogates, learnt from iconv on first
// use and kept per thread: CP932 is stateless, so a character always gives the same
// bytes, and an export or import meets the same few thousand characters again and
// again. 0 = not learnt yet, below 0x100 one byte, else lead byte × 256 + trail byte;
// no CP932 code begins with 0xFF, which leaves room for the two marks below.
constexpr std::uint16_t kNotInCp932 = 0xFFFF; // written as "?"
constexpr std::uint16_t kNoBytes = 0xFFFE;    // iconv wrote nothing for it

class EncodeCache {
public:
    std::uint16_t Lookup(char16_t c) {
        std::uint16_t& entry = table_[c];
        if (entry == 0) entry = Learn(c);
        return entry;
    }

private:
    static std::uint16_t Learn(char16_t c) {
        std::string bytes;
        EncodeRunByIconv(std::u16string_view(&c, 1), bytes);
        if (bytes == "?") return kNotInCp932;
        if (bytes.empty()) return kNoBytes;
        if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 2)
            return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                              static_cast<unsigned char>(bytes[1]));
        return kNotInCp932;
    }

    std::vector<std::uint16_t> table_ = std::vector<std::uint16_t>(0x10000, 0);
};

EncodeCache& ThreadEncodeCache() {
    thread_local EncodeCache cache;
    return cache;
}

// Appends a run of characters that are not ASCII, in CP932, to out.
void EncodeRun(std::u16string_view run, std::string& out) {
    std::u16string composed;
    if (HasSoundMark(run)) {
        composed = ComposeKana(run);
        run = composed;
    }
    for (char16_t c : run)
        if (IsSurrogate(c)) return EncodeRunByIconv(run, out);
    EncodeCache& cache = ThreadEncodeCache();
    for (char16_t c : run) {
        std::uint16_t code = cache.Lookup(c);
        if (code == kNotInCp932)
            out += '?';
        else if (code == kNoBytes)
            continue;
        else if (code < 0x100)
            out += static_cast<char>(code);
        else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
}

// Appends the UTF-16 form of CP932 bytes that begin with a byte of 0x80 or more.
void DecodeRun(std::string_view run, std::u16string& out) {
    Converter& conv = Decoder();
    if (!conv.ok()) {
        for (char c : run)
            out += IsAsciiByte(c) ? static_cast<char16_t>(c) : u'\uFFFD';
        return;
    }
    conv.Reset();
    // Every CP932 byte or byte pair gives at most one UTF-16 unit, and so does each
    // replaced byte, so the output never needs more units than there are bytes.
    size_t used = out.size();
    out.resize(used + run.size() + 1);
    char* in = const_cast<char*>(run.data());
    size_t inLeft = run.size();
    char* dst = reinterpret_cast<char*>(out.data() + used);
    size_t outLeft = (run.size() + 1) * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(conv.get(), &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
        if (outLeft < sizeof(char16_t)) break; // cannot happen, see above
        // An invalid or truncated sequence: one replacement character for its first byte.
        const char16_t replacement = u'\uFFFD';
        std::memcpy(dst, &replacement, sizeof replacement);
        dst += sizeof(char16_t);
        outLeft -= sizeof(char16_t);
        ++in;
        --inLeft;
        conv.Reset();
    }
    out.resize(static_cast<size_t>(dst - reinterpret_cast<char*>(out.data())) / sizeof(char16_t));
}

} // namespace

std::u16string ComposeKana(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (i + 1 < text.size() && (text[i + 1] == 0x3099 || text[i + 1] == 0x309A)) {
            char16_t composed = Composed(c, text[i + 1]);
            if (composed) {
                out += composed;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

namespace {

// Every character in place from the remembered bytes: the path for texts without
// sound marks and surrogates, which is nearly every text. Each unit gives at most two
// bytes, so the room is made once.
std::string ToCp932Direct(std::u16string_view text) {
    EncodeCache& cache = ThreadEncodeCache();
    std::string out(text.size() * 2, '\0');
    char* dst = out.data();
    for (char16_t c : text) {
        if (IsAscii(c)) {
            *dst++ = static_cast<char>(c);
            continue;
        }
        std::uint16_t code = cache.Lookup(c);
        if (code == kNotInCp932) {
            *dst++ = '?';
        } else if (code < 0x100) {
            *dst++ = static_cast<char>(code);
        } else if (code != kNoBytes) {
            *dst++ = static_cast<char>(code >> 8);
            *dst++ = static_cast<char>(code & 0xFF);
        }
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
}

bool NeedsRuns(std::u16string_view text) {
    for (char16_t c : text)
        if (c == 0x3099 || c == 0x309A || IsSurrogate(c)) return true;
    return false;
}

} // namespace

// ASCII is the same byte in CP932, so only the runs between ASCII characters are
// converted. A kana and its sound mark are both outside ASCII, so they always reach
// the composition in the same run.
std::string ToCp932(std::u16string_view text) {
    if (!NeedsRuns(text)) return ToCp932Direct(text);
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    size_t i = 0;
    while (i < text.size()) {
        size_t ascii = i;
        while (ascii < text.size() && IsAscii(text[ascii]))
            ++ascii;
        for (; i < ascii; ++i)
            out += static_cast<char>(text[i]);
        if (i == text.size()) break;
        while (ascii < text.size() && !IsAscii(text[ascii]))
            ++ascii;
        EncodeRun(text.substr(i, ascii - i), out);
        i = ascii;
    }
    return out;
}

std::u16string FromCp932(std::string_view bytes) {
    std::u16string out;
    FromCp932(bytes, out);
    return out;
}

namespace {

// The runs between ASCII characters through iconv, from the start of bytes.
// A byte below 0x80 is never the first of a pair, so the byte after one always
// starts a character: a run handed to iconv ends just after such a byte (a second
// byte of a pair or an ASCII character), and a character is never cut in two.
void DecodeByRuns(std::string_view bytes, std::u16string& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        while (i < bytes.size() && IsAsciiByte(bytes[i]))
            out += static_cast<char16_t>(bytes[i++]);
        if (i == bytes.size()) break;
        size_t end = i + 1;
        while (end < bytes.size() && !(IsAsciiByte(bytes[end - 1]) && IsAsciiByte(bytes[end])))
            ++end;
        DecodeRun(bytes.substr(i, end - i), out);
        i = end;
    }
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The character of each CP932 code (a single byte of 0x80 or more, or lead byte ×
// 256 + trail byte), learnt from iconv on first use and kept per thread, as the
// encoding direction does: an import meets the same few thousand characters a
// million times. 0 = not learnt yet; kNoSingleUnit = iconv does not give exactly
// one character for it alone (unmapped or invalid), and such bytes go through the
// runs as before.
constexpr char16_t kNoSingleUnit = 0xFFFF;

class DecodeCache {
public:
    char16_t Lookup(std::string_view code) {
        size_t index = code.size() == 1 ? static_cast<unsigned char>(code[0])
                                        : static_cast<size_t>(static_cast<unsigned char>(code[0])) << 8 |
                                              static_cast<unsigned char>(code[1]);
        char16_t& entry = table_[index];
        if (entry == 0) entry = Learn(code);
        return entry;
    }

private:
    static char16_t Learn(std::string_view code) {
        std::u16string unit;
        DecodeRun(code, unit);
        // U+FFFD is also what an invalid byte becomes; that case keeps the slow path.
        if (unit.size() != 1 || unit[0] == 0 || unit[0] == u'\uFFFD' || unit[0] == kNoSingleUnit) return kNoSingleUnit;
        return unit[0];
    }

    std::vector<char16_t> table_ = std::vector<char16_t>(0x10000, 0);
};

DecodeCache& ThreadDecodeCache() {
    thread_local DecodeCache cache;
    return cache;
}

} // namespace

// Character by character from the learnt codes; from the first byte that is not a
// whole, known character on, the rest goes through iconv's runs. CP932 is stateless,
// so both give the same text.
void FromCp932(std::string_view bytes, std::u16string& out) {
    out.clear();
    out.reserve(bytes.size());
    DecodeCache* cache = nullptr;
    size_t i = 0;
    while (i < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        size_t length = IsLeadByte(b) ? 2 : 1;
        if (length == 2 && (i + 1 == bytes.size() || !IsTrailByte(static_cast<unsigned char>(bytes[i + 1])))) break;
        if (!cache) cache = &ThreadDecodeCache();
        char16_t c = cache->Lookup(bytes.substr(i, length));
        if (c == kNoSingleUnit) break;
        out += c;
        i += length;
    }
    if (i < bytes.size()) DecodeByRuns(bytes.substr(i), out);
}
