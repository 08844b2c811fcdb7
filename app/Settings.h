// The user's preferences and pick lists as the settings file TideLog.dat keeps them.
// Read once at start-up, written once at shutdown; in between the dialogs change only
// these values. The file is CP932 text with CR LF line ends, a [System] section of
// "key:value" lines and five list sections of one entry per line.
#pragma once

#include "core/ActionRecord.h"
#include "core/MessageBox.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char16_t kSettingsFileName[] = u"TideLog.dat";
inline constexpr char16_t kSettingsProgramName[] = u"Tidemark";
inline constexpr char16_t kSettingsVersion[] = u"3.2.2010.1114";
inline constexpr char16_t kCopyrightNotice[] = u"Copyright (C) 2010 Tidemark";
inline constexpr char16_t kDefaultFontName[] = u"MS UI Gothic";
inline constexpr char16_t kDefaultDataFileName[] = u"user.sdf";

inline constexpr size_t kFontNameMax = 31;
inline constexpr size_t kPlaceCapacity = 80;
inline constexpr size_t kMemoCapacity = 20;
inline constexpr size_t kCategory1Capacity = 80;
inline constexpr size_t kCategory2Capacity = 80;
inline constexpr size_t kFindCapacity = 10;

// The five list sections, most recently used first, never holding an empty text.
struct PickLists {
    std::vector<std::u16string> Place;     // [Place], 80
    std::vector<std::u16string> Memo;      // [Memo], 20
    std::vector<std::u16string> Category1; // [Category1], 80
    std::vector<std::u16string> Category2; // [Category2], 80
    std::vector<std::u16string> Find;      // [Find], 10 (kept by the find dialog)
    bool operator==(const PickLists&) const = default;
};

// Every [System] key, named as in the file. Defaults are those of DefaultSettings(96).
struct AppSettings {
    OptText Version; // as read; absent when the file had none
    int StartupMode = 0;
    int ViewModeSave = 1;
    int InitView = 1;
    int DaySeqVwLineNum = 0;
    int SeqViewRng = 20;
    int MonViewTapOpeMode = 1;
    int DayVwMltDayMode = 1;
    int OkBtnVwMode = 1;
    int ToolBarVwMode = 1;
    std::u16string DayVwGrdFntName = kDefaultFontName;
    int DayVwGrdFntSize = 9;
    std::u16string WekVwGrdFntName = kDefaultFontName;
    int WekVwGrdFntSize = 9;
    std::u16string MthVwGrdFntName = kDefaultFontName;
    int MthVwGrdFntSize = 9;
    std::u16string MthVwLstFntName = kDefaultFontName;
    int MthVwLstFntSize = 9;
    std::u16string LstVwGrdFntName = kDefaultFontName;
    int LstVwGrdFntSize = 9;
    std::u16string MapVwGrdFntName = kDefaultFontName;
    int MapVwGrdFntSize = 9;
    std::u16string MapVwLstFntName = kDefaultFontName;
    int MapVwLstFntSize = 9;
    std::u16string RcdrFntName = kDefaultFontName;
    int RcdrFntSize = 10;
    // Column widths; -1 lets the view size the column itself.
    std::array<int, 4> DayVwPrtColWdh{-1, -1, -1, -1};
    std::array<int, 4> DayVwLndColWdh{-1, -1, -1, -1};
    std::array<int, 5> MapVwPrtColWdh{-1, -1, -1, -1, -1};
    std::array<int, 5> MapVwLndColWdh{-1, -1, -1, -1, -1};
    int TimeInitForNewMode = -1; // -1 until the migration decides
    int TimeInitForFollowMode = 1;
    std::u16string PlaceSepaStr = u"－＞";
    int NoMemPlaceSepaStr = 0;
    int EditOpeCont = 0;
    int DispListAfterFind = 0;
    std::u16string StaDtTmName = u"開始";
    std::u16string EndDtTmName = u"終了";
    std::u16string LatName = u"緯度";
    std::u16string LonName = u"経度";
    std::u16string SbjctName = u"件名";
    std::u16string PlaceName = u"場所";
    std::u16string Cate1Name = u"分類1";
    std::u16string Cate2Name = u"分類2";
    std::u16string MemoName = u"メモ";
    int ActTxtMode = 1;
    int ItmSelMode = 1;
    std::u16string DataFile; // full path; empty until the migration fills it
    // The older form of the two TimeInit keys: read, never written.
    std::optional<int> SetNowForCreate;

    PickLists lists;

    bool operator==(const AppSettings&) const = default;
};

// Every setting at its default; the font sizes scale with the program's dpi. Lists empty.
AppSettings DefaultSettings(int dpi);
// The lists a new user starts with (used only when there is no settings file).
void FillDefaultLists(PickLists& lists);

// Reads the file over the settings (the caller sets the defaults first). Lists are
// emptied and the 18 column widths set to -1 before reading. 0, -1 when the file
// cannot be opened, or the negative code of a line that cannot be read.
int ReadSettings(AppSettings& settings, std::u16string_view path);

// Writes every key and list to path. InitView is written as currentView when
// ViewModeSave is 1. The new file is written beside the old one and renamed over it
// only when every write succeeded, so a failure keeps the old file. 0, or non-zero
// after telling "設定ファイルの書込みに失敗しました。".
int SaveSettings(const AppSettings& settings, int currentView, std::u16string_view path);

// DataFile in the settings file, which is CP932: a path CP932 cannot hold is stored
// relative to the settings file's folder when it lies inside it (the default data
// file of a user named "josé"); every other path is stored as it is. A relative
// stored path is read back against that folder.
bool Cp932CanHold(std::u16string_view text);
std::u16string StoredDataFilePath(std::u16string_view dataFile, std::u16string_view settingsPath);
std::u16string ResolveStoredDataFilePath(std::u16string_view stored, std::u16string_view settingsPath);
// For the place where a data file is chosen (the options dialog): 0 when the path
// survives the settings file; otherwise -1 after telling the user ("データファイル名
// '…' には設定ファイルに保存できない文字が含まれています。…", caption
// "データファイル名不正").
int CheckDataFilePathStorable(WindowHandle owner, std::u16string_view dataFile, std::u16string_view settingsPath);

// The fixes older files need, applied after reading: the sequence view range of old
// versions, the TimeInit keys from SetNowForCreate, and the default data file
// (programFolderDataFile, the data file name in the program folder).
void ApplySettingsMigrations(AppSettings& settings, std::u16string_view programFolderDataFile);

// Puts text first in the list: an entry equal to it moves to the front, otherwise the
// text is added in front and the last entry is dropped when the list is full. An
// absent or empty text changes nothing.
void RememberPickValue(std::vector<std::u16string>& list, size_t capacity, const OptText& text);
