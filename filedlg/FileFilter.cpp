// Parsing the "|"-separated filter text and matching file names against its patterns.
#include "filedlg/FileFilter.h"

#include "core/Paths.h"
#include "core/Utf.h"

#include <fnmatch.h>

int ParseFileFilter(std::u16string_view text, FileFilter& filter) {
    filter = FileFilter{};
    if (text.empty()) return 0;
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find(u'|', start);
        parts.emplace_back(
            text.substr(start, bar == std::u16string_view::npos ? std::u16string_view::npos : bar - start));
        if (bar == std::u16string_view::npos) break;
        start = bar + 1;
    }
    // A description without its pattern, or an empty pattern, is a malformed filter.
    if (parts.size() % 2 != 0) return -1;
    for (size_t i = 1; i < parts.size(); i += 2)
        if (parts[i].empty()) return -1;
    for (size_t i = 0; i + 1 < parts.size() && filter.patterns.size() < kMaxFileTypes; i += 2) {
        filter.descriptions.push_back(parts[i]);
        filter.patterns.push_back(parts[i + 1]);
    }
    return 0;
}

std::u16string DefaultExtension(const FileFilter& filter) {
    if (filter.patterns.empty()) return {};
    std::u16string extension;
    FileExtension(filter.patterns.front(), extension);
    if (extension.find(u'*') != std::u16string::npos) return {};
    return extension;
}

bool MatchesFilePattern(std::u16string_view pattern, std::u16string_view name) {
    std::string p = ToUtf8(pattern), n = ToUtf8(name);
    if (fnmatch(p.c_str(), n.c_str(), FNM_CASEFOLD) == 0) return true;
    // "x.*" stands for "x with any extension or none", as on the handheld.
    if (p.size() >= 2 && p.compare(p.size() - 2, 2, ".*") == 0 && n.find('.') == std::string::npos) {
        p.resize(p.size() - 2);
        return fnmatch(p.c_str(), n.c_str(), FNM_CASEFOLD) == 0;
    }
    return false;
}
