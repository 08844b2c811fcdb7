// Folders as the file selection dialog walks them: joining a name to a folder,
// climbing to the parent (the root "/" is the top), the user's home folder where the
// dialog starts by default, and one folder's sub-folders and matching files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The folder, a "/" unless the folder already ends with one, and the name.
std::u16string JoinFolderPath(std::u16string_view folder, std::u16string_view name);

// The folder one level up: a trailing "/" is dropped and the text cut at the last
// "/"; a cut at the first character leaves the root. The root stays the root.
std::u16string ParentFolder(std::u16string_view folder);

// $HOME, or the home of the user's account entry, or "/" when neither is known.
std::u16string HomeFolder();

struct FolderListing {
    std::vector<std::u16string> folders; // sub-folders, sorted by name
    std::vector<std::u16string> files;   // files matching the pattern, sorted by name
};

// The entries of a folder ("." and ".." left out); a folder that cannot be read lists
// nothing. An entry that is, or links to, a folder counts as a folder whatever the
// pattern; every other entry is listed when it matches the pattern.
FolderListing ListFolder(std::u16string_view folder, std::u16string_view pattern);

enum class PathKind { Missing, File, Folder };
// What is at a path, following links.
PathKind KindOfPath(std::u16string_view path);
