// Paths and folders. Paths are UTF-16 with "/" as separator (the handheld's "\"),
// at most 260 characters. The program folder holds the user's files: the settings
// file, the default data file and the salvage tool's working copy.
#pragma once

#include <string>
#include <string_view>

inline constexpr size_t kMaxPath = 260;

// $XDG_DATA_HOME/tidemark, or ~/.local/share/tidemark, created on first use;
// or the folder set by SetProgramFolder (tests). Always ends with "/".
std::u16string ProgramFolder();
void SetProgramFolder(std::u16string_view folder);
// The program folder followed by name.
std::u16string ProgramFolderPath(std::u16string_view name);

// At the last "/": 0; -110 when there is none; -101 when either part has 260 characters or more.
int SplitPath(std::u16string_view path, std::u16string& folder, std::u16string& name);
// As SplitPath without the length limit: 0 or -110.
int SplitPathAlloc(std::u16string_view path, std::u16string& folder, std::u16string& name);
// The text after the last '.', empty when there is none or it is last. Returns 0.
int FileExtension(std::u16string_view name, std::u16string& extension);
// 0 when the folder exists or was made; -10 bad path, -11 not a folder, -12 no parent, -13 parent failed,
// -14 the folder itself could not be made.
int CreateFolderPath(std::u16string_view path);

// The UTF-8 file-system form of a path.
std::string NativePath(std::u16string_view path);
