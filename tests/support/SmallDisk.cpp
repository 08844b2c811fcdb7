// The small tmpfs of the full-disk tests.
#include "tests/support/SmallDisk.h"

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(const std::string& path, const char* size) : path_(path) {
    std::filesystem::create_directories(path);
    std::string options = std::string("size=") + size;
    mounted_ = geteuid() == 0 && mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
}
