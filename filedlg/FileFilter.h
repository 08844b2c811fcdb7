// The file type filter of the file selection dialog: a text of description and
// pattern pairs separated by "|", such as "テキストファイル (*.txt)|*.txt". The
// descriptions fill the type combo box; the patterns choose the files listed, and the
// first pattern gives the default extension of a typed name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The dialog offers at most this many types; pairs after the tenth are ignored.
inline constexpr size_t kMaxFileTypes = 10;

struct FileFilter {
    std::vector<std::u16string> descriptions;
    std::vector<std::u16string> patterns; // same count as descriptions
};

// 0, or -1 when the text ends after a description or a pattern is empty. An empty
// text gives no types. Only the first kMaxFileTypes pairs are kept.
int ParseFileFilter(std::u16string_view text, FileFilter& filter);

// The extension a name without "." receives: the text after the last "." of the first
// pattern, or nothing when there is no pattern, no such text or it holds a "*".
std::u16string DefaultExtension(const FileFilter& filter);

// Whether a file name matches a pattern of "*", "?" and "[...]" (compared without
// regard to letter case, as the handheld did). A pattern ending in ".*" also matches
// names without an extension, so "*.*" matches every file.
bool MatchesFilePattern(std::u16string_view pattern, std::u16string_view name);
