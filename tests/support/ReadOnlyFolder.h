// A folder that refuses new files for the life of the object, for tests of an
// unwritable place.
#pragma once

#include <string>

class ReadOnlyFolder {
public:
    // Makes path (created when missing) refuse writes: a read-only tmpfs over it when
    // running as root (root writes through permissions), mode 0555 otherwise.
    explicit ReadOnlyFolder(const std::string& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    // A probe file could not be made there.
    bool refuses() const { return refuses_; }

private:
    std::string path_;
    bool mounted_ = false;
    bool refuses_ = false;
};
