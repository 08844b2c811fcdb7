// A fresh folder for the files a fuzz target writes, in memory where there is a tmpfs:
// the file syncs of saving and importing would otherwise bound the speed.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

inline std::string MakeFuzzFolder(const char* name) {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/tidemark-fuzz-" + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) __builtin_trap();
    return pattern;
}
