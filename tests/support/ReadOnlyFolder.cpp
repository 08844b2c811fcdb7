// The read-only folder of the unwritable-place tests.
#include "tests/support/ReadOnlyFolder.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

ReadOnlyFolder::ReadOnlyFolder(const std::string& path) : path_(path) {
    std::filesystem::create_directories(path);
    if (geteuid() == 0)
        mounted_ = mount("tmpfs", path.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
    else
        chmod(path.c_str(), 0555);
    std::string probe = path + "/.probe";
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    refuses_ = fd < 0;
    if (fd >= 0) {
        close(fd);
        unlink(probe.c_str());
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_)
        umount2(path_.c_str(), MNT_DETACH);
    else
        chmod(path_.c_str(), 0755);
}
