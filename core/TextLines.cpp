// Reading and writing CP932 text lines byte by byte.
#include "core/TextLines.h"

#include "core/Cp932.h"

int WriteTextLine(std::FILE* file, std::u16string_view text) {
    std::string bytes = ToCp932(text);
    bytes += "\r\n";
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : -1;
}

int ReadTextLine(std::FILE* file, std::u16string& text, size_t& byteLength) {
    std::string bytes;
    bytes.reserve(1000);
    for (;;) {
        int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) return -12;
            // A last line without a line end still counts as read text.
            text = FromCp932(bytes);
            byteLength = bytes.size();
            return -1;
        }
        if (c == '\n') break;
        if (c == '\r') {
            int next = std::getc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
            break;
        }
        bytes += static_cast<char>(c);
    }
    text = FromCp932(bytes);
    byteLength = bytes.size();
    return 0;
}
