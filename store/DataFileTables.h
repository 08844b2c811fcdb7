// The data file session: one SQLite connection and the five table objects, open from
// OpenDataFile/CreateDataFile to CloseDataFile and reached program-wide through
// OpenTables(). Also the life of a data file: create, format check and upgrade,
// locating it at start-up and changing it at the user's request.
#pragma once

#include "core/MessageBox.h"
#include "store/ItemTables.h"
#include "store/UserDataTable.h"

#include <memory>
#include <string>
#include <string_view>

class ActionIndex;
struct RecorderState;

inline constexpr char16_t kProgName[] = u"Tidemark";
inline constexpr char16_t kProgVer[] = u"3.2.2010.1114";
inline constexpr char16_t kDBFmtVer[] = u"3.2.2010.0623";

struct DataFileTables {
    sqlite3* db = nullptr;
    std::u16string path;
    std::unique_ptr<UserDataTable> userData;        // t_UserData
    std::unique_ptr<ItemIntTable> longData;         // t_LongData
    std::unique_ptr<ItemTextTable> textData;        // t_TextData
    std::unique_ptr<ItemTextTable> sysInfo;         // t_SysInfo
    std::unique_ptr<RecorderHistoryTable> rcdrData; // t_RcdrData
    ~DataFileTables();
};

// The open data file, or nullptr when none is open.
DataFileTables* OpenTables();

// Opens an existing file (never creates one). Engine code; a file that is not a data
// file fails here or in CheckAndUpgradeFormat (-2). When SQLite cannot open the file
// at all: "SQL Server がインストールされていません。", caption "環境不正".
HRESULT OpenDataFile(std::u16string_view path);
// Closes everything; safe when nothing is open.
void CloseDataFile();
// Runs one statement without parameters or result. Engine code.
HRESULT ExecuteSql(sqlite3* db, std::string_view text);
// Replaces any file at path by a new data file with the full schema, the system
// information and the initial recorder state; leaves it open. Engine code.
HRESULT CreateDataFile(std::u16string_view path);
// 0, or -101 … -104 (ProgName, ProgVer, DBFmtVer, CreateTime), each told.
int WriteSystemInfo();
// 0 current, -4 upgraded, -1 declined, -2 no DBFmtVer, -3 the upgrade failed.
int CheckAndUpgradeFormat();
// 0, or -8 RcdrLatitude, -9 RcdrLongitude, -10 the column changes.
int UpgradeFormat(std::u16string_view oldVersion);
// At start-up when the configured file does not exist: -4 a data file is at
// newPath, -1 error (told; *failure, when given, is the create's engine code or
// E_INVALIDARG for an unusable name), -2/-3 declined.
int LocateOrCreateDataFile(std::u16string_view path, std::u16string& newPath, HRESULT* failure = nullptr);

// What a change of data file touches in the application's state.
struct DataFileContext {
    std::u16string& dataFile; // DataFile setting
    ActionIndex& index;
    RecorderState& recorder;
    std::u16string& currentActionId; // remembered current action, cleared
    std::u16string searchCondition;  // active search, for the index rebuild
};
// 0 done (or the old file reopened), -1 declined or invalid name, -10 the program
// must end.
int ChangeDataFile(WindowHandle owner, std::u16string_view newPath, DataFileContext& context);
