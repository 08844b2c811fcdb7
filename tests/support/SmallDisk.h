// A small tmpfs mounted over a folder for the life of the object, for tests of a
// full disk. Mounting needs root: without it mounted() is false and the test skips.
#pragma once

#include <string>

class SmallDisk {
public:
    // size as tmpfs takes it ("64k", "3m").
    SmallDisk(const std::string& path, const char* size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};
