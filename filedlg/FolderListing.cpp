// Folder walking for the file selection dialog through the POSIX directory calls.
#include "filedlg/FolderListing.h"

#include "core/Paths.h"
#include "core/Utf.h"
#include "filedlg/FileFilter.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::u16string JoinFolderPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'/') path += u'/';
    path += name;
    return path;
}

std::u16string ParentFolder(std::u16string_view folder) {
    std::u16string path(folder);
    if (path == u"/") return path;
    if (!path.empty() && path.back() == u'/') path.pop_back();
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos || slash == 0) return u"/";
    path.resize(slash);
    return path;
}

std::u16string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return FromUtf8(home);
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return FromUtf8(entry->pw_dir);
    return u"/";
}

PathKind KindOfPath(std::u16string_view path) {
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

FolderListing ListFolder(std::u16string_view folder, std::u16string_view pattern) {
    FolderListing listing;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(NativePath(folder).c_str()), closedir);
    if (!dir) return listing;
    while (const dirent* entry = readdir(dir.get())) {
        std::string native = entry->d_name;
        if (native == "." || native == "..") continue;
        std::u16string name = FromUtf8(native);
        if (KindOfPath(JoinFolderPath(folder, name)) == PathKind::Folder)
            listing.folders.push_back(std::move(name));
        else if (MatchesFilePattern(pattern, name))
            listing.files.push_back(std::move(name));
    }
    std::sort(listing.folders.begin(), listing.folders.end());
    std::sort(listing.files.begin(), listing.files.end());
    return listing;
}
