// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder as a UTF-8 path without a trailing "/".
    const std::string& path() const { return path_; }
    // A path inside the folder, UTF-8 and UTF-16.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::u16string file16(const std::string& name) const;

    // Whole-file helpers for checking bytes.
    static std::string ReadBytes(const std::string& path);
    static void WriteBytes(const std::string& path, const std::string& bytes);

private:
    std::string path_;
};
