// Complete-or-nothing replacement of a file through a temporary file and a rename.
#include "core/ReplaceFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& path) {
    int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// The mode a new file gets from open(…, 0666): the process's umask applied.
mode_t DefaultFileMode() {
    mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) { // as many as the kernel follows
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char buffer[PATH_MAX];
        ssize_t n = readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0) return current;
        std::string next(buffer, static_cast<size_t>(n));
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    return current;
}

ReplacingFile::ReplacingFile(const std::string& target) : final_(FollowLinks(target)) {}

ReplacingFile::~ReplacingFile() {
    Abandon();
}

bool ReplacingFile::Open() {
    Abandon();
    struct stat st {};
    bool exists = stat(final_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) { // a folder is never replaced
        errno = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) { // a device or a pipe is written as it is
        file_ = std::fopen(final_.c_str(), "wb");
        return file_ != nullptr;
    }
    std::string pattern = final_ + ".XXXXXX";
    int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return false;
    temporary_ = pattern;
    mode_t mode = exists ? (st.st_mode & 07777) : DefaultFileMode();
    file_ = fdopen(fd, "wb");
    if (fchmod(fd, mode) != 0 || !file_) {
        int saved = errno;
        if (!file_) close(fd);
        Abandon();
        errno = saved;
        return false;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (!file_) return false;
    bool ok = std::fflush(file_) == 0;
    // A device or a pipe has nothing to sync; a file's bytes must be on the disk before the rename.
    if (ok && !temporary_.empty()) ok = fsync(fileno(file_)) == 0;
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    if (temporary_.empty()) return ok; // written in place
    if (ok) ok = std::rename(temporary_.c_str(), final_.c_str()) == 0;
    if (!ok) {
        Abandon();
        return false;
    }
    temporary_.clear();
    SyncFolder(final_);
    return true;
}

void ReplacingFile::Abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}
