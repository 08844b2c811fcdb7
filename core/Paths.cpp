// The program folder, path splitting and folder creation on "/" paths.
#include "core/Paths.h"

#include "core/Utf.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex& FolderMutex() {
    static std::mutex m;
    return m;
}
std::u16string& FolderOverride() {
    static std::u16string folder;
    return folder;
}

std::u16string WithTrailingSlash(std::u16string folder) {
    if (folder.empty() || folder.back() != u'/') folder += u'/';
    return folder;
}

// $XDG_DATA_HOME/tidemark; a relative XDG_DATA_HOME is ignored as the XDG rules say.
std::u16string DefaultProgramFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return WithTrailingSlash(FromUtf8(xdg)) + u"tidemark/";
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        const passwd* pw = getpwuid(getuid());
        home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
    }
    return WithTrailingSlash(FromUtf8(home)) + u".local/share/tidemark/";
}

} // namespace

std::u16string ProgramFolder() {
    std::lock_guard<std::mutex> lock(FolderMutex());
    if (!FolderOverride().empty()) return FolderOverride();
    static std::u16string folder;
    if (folder.empty()) {
        folder = DefaultProgramFolder();
        CreateFolderPath(std::u16string_view(folder).substr(0, folder.size() - 1));
    }
    return folder;
}

void SetProgramFolder(std::u16string_view folder) {
    std::lock_guard<std::mutex> lock(FolderMutex());
    FolderOverride() = folder.empty() ? std::u16string() : WithTrailingSlash(std::u16string(folder));
}

std::u16string ProgramFolderPath(std::u16string_view name) {
    return ProgramFolder() + std::u16string(name);
}

int SplitPathAlloc(std::u16string_view path, std::u16string& folder, std::u16string& name) {
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string_view::npos) return -110;
    folder = path.substr(0, slash);
    name = path.substr(slash + 1);
    return 0;
}

int SplitPath(std::u16string_view path, std::u16string& folder, std::u16string& name) {
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string_view::npos) return -110;
    if (slash >= kMaxPath || path.size() - slash - 1 >= kMaxPath) return -101;
    return SplitPathAlloc(path, folder, name);
}

int FileExtension(std::u16string_view name, std::u16string& extension) {
    size_t dot = name.rfind(u'.');
    extension = dot == std::u16string_view::npos ? std::u16string() : std::u16string(name.substr(dot + 1));
    return 0;
}

int CreateFolderPath(std::u16string_view path) {
    if (path.size() >= kMaxPath) return -10;
    if (path.size() < 2 && path != u"/") return -10;
    std::string native = NativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : -11;
    std::u16string parent, name;
    if (SplitPath(path, parent, name) != 0) return -12;
    // A folder right below the root has an empty parent: the root itself.
    if (parent.empty()) parent = u"/";
    if (CreateFolderPath(parent) != 0) return -13;
    // Another process may make the same folder meanwhile; only a folder that is still missing is a failure.
    if (mkdir(native.c_str(), 0777) != 0 && !(errno == EEXIST && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
        return -14;
    return 0;
}

std::string NativePath(std::u16string_view path) {
    return ToUtf8(path);
}
