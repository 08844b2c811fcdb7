// Reading and writing CP932 text lines byte by byte.
#include "core/TextLines.h"

#include "core/Cp932.h"

int WriteTextLine(std::FILE* file, std::u16string_view text) {
    std::string bytes = ToCp932(text);
    bytes += "\r\n";
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : -1;
}

namespace {

// Holds the file's lock for one line, so the bytes can be taken without a lock each.
class LineLock {
public:
    explicit LineLock(std::FILE* file) : file_(file) { flockfile(file); }
    ~LineLock() { funlockfile(file_); }
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

private:
    std::FILE* file_;
};

} // namespace

int ReadTextLine(std::FILE* file, std::u16string& text, size_t& byteLength) {
    // One byte buffer per thread: a file of many lines needs no allocation a line.
    thread_local std::string bytes;
    bytes.clear();
    LineLock lock(file);
    for (;;) {
        int c = getc_unlocked(file);
        if (c == EOF) {
            if (ferror_unlocked(file)) return -12;
            // A last line without a line end still counts as read text.
            FromCp932(bytes, text);
            byteLength = bytes.size();
            return -1;
        }
        if (c == '\n') break;
        if (c == '\r') {
            int next = getc_unlocked(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
            break;
        }
        bytes += static_cast<char>(c);
    }
    FromCp932(bytes, text);
    byteLength = bytes.size();
    return 0;
}
