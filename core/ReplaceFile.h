// Files that are replaced only when their new content is complete: the content goes to
// a temporary file beside the target, which is renamed over the target after the last
// write, the flush, fsync and the close succeeded. A failure removes the temporary file
// and leaves the old target as it was. The target's permission bits are kept, and a
// symbolic link is written through to the file it names (the link stays a link). A
// device or pipe (/dev/stdout, a FIFO) cannot be replaced and is written in place.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile {
public:
    // target: the native (UTF-8) path of the file to replace or create.
    explicit ReplacingFile(const std::string& target);
    // Removes the temporary file unless Commit succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file; false (with errno set) when it cannot be made.
    bool Open();
    // The open temporary file (nullptr before Open or after Commit/Abandon).
    std::FILE* file() const { return file_; }
    // Flush, fsync, close, rename over the target, sync of the folder; false when a
    // step failed (the temporary file is then gone and the target untouched).
    bool Commit();
    // Closes and removes the temporary file.
    void Abandon();

    // The file that is actually replaced (the target with its links followed).
    const std::string& finalPath() const { return final_; }
    const std::string& temporaryPath() const { return temporary_; }

private:
    std::string final_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

// The path with symbolic links followed as far as they go (also to a target that
// does not exist yet); the path itself when it is no link.
std::string FollowLinks(const std::string& path);
