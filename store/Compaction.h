// Compacting a data file: the engine writes a compacted copy under a temporary name,
// the old file becomes the backup and the copy takes the old file's name.
#pragma once

#include "core/MessageBox.h"
#include "core/ResultCodes.h"

#include <cstdio>
#include <string>
#include <string_view>

// VACUUM INTO: writes a compacted copy of source at destination. Engine code.
HRESULT CompactDatabaseFile(std::u16string_view source, std::u16string_view destination);
// The backup name: folder + "/" + name up to its last '.' + ".bak"; a name without
// '.' gets ".bak" appended.
std::u16string CompactBackupName(std::u16string_view folder, std::u16string_view name);
// With every question and message: 0 done; -101 no file, -102 bad name, -103
// preparation, -104 declined, -105 backup kept, -106/-107 no temporary name, -108
// the compaction failed, -109 the old backup cannot be removed, -110 the backup
// cannot be made, -111 the compacted copy cannot take the name. On every failure the
// data file is as it was (-111 tells where it is should even that fail). The file
// must be closed.
int CompactDataFile(WindowHandle owner, std::u16string_view path);

// The file-system calls of the last steps; tests replace them to make a step fail.
struct CompactionFileOps {
    int (*link)(const char*, const char*);
    int (*rename)(const char*, const char*);
};
CompactionFileOps& CompactionFileOpsForTest();
