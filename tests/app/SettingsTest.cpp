// The settings file: reading rules, sections, writing, the safe replacement of the
// old file, migrations and the pick lists.
#include "app/Settings.h"
#include "core/Cp932.h"
#include "core/MessageBox.h"
#include "core/Utf.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// A file in CP932 with CR LF line ends from UTF-8 lines.
std::string Cp932File(std::initializer_list<const char*> lines) {
    std::string bytes;
    for (const char* line : lines)
        bytes += ToCp932(FromUtf8(line)) + "\r\n";
    return bytes;
}

AppSettings ReadFrom(const TempDir& dir, const std::string& bytes, int* rc = nullptr) {
    TempDir::WriteBytes(dir.file("TideLog.dat"), bytes);
    AppSettings s = DefaultSettings(144);
    int result = ReadSettings(s, dir.file16("TideLog.dat"));
    if (rc) *rc = result;
    return s;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

TEST(Settings, DefaultsScaleTheFontSizesWithTheDpi) {
    AppSettings s96 = DefaultSettings(96), s144 = DefaultSettings(144);
    EXPECT_EQ(s96.DayVwGrdFntSize, 9);
    EXPECT_EQ(s96.RcdrFntSize, 10);
    EXPECT_EQ(s144.DayVwGrdFntSize, 14); // (144 × 9 + 48) / 96
    EXPECT_EQ(s144.MapVwLstFntSize, 14);
    EXPECT_EQ(s144.RcdrFntSize, 15);
    EXPECT_EQ(s144.PlaceSepaStr, u"－＞");
    EXPECT_FALSE(s144.Version.has_value());
}

TEST(Settings, ValuesAreReadByTheirTypesRule) {
    struct Case {
        const char* line;
        int AppSettings::*field;
        int expected;
    } cases[] = {
        {"StartupMode:2", &AppSettings::StartupMode, 2},
        {"StartupMode:-1", &AppSettings::StartupMode, 0},
        {"StartupMode:x", &AppSettings::StartupMode, 0},
        {"StartupMode:", &AppSettings::StartupMode, 0},
        {"StartupMode:+1", &AppSettings::StartupMode, 0},
        {"StartupMode:1 ", &AppSettings::StartupMode, 0},
        {"StartupMode:99999999999", &AppSettings::StartupMode, 0},
        {"startupmode:2", &AppSettings::StartupMode, 0},
        {"StartupMode 2", &AppSettings::StartupMode, 0},
        {"SeqViewRng:007", &AppSettings::SeqViewRng, 7},
        {"DayVwGrdFntSize:-12", &AppSettings::DayVwGrdFntSize, -12},
        {"DayVwGrdFntSize:+7", &AppSettings::DayVwGrdFntSize, 7},
        {"DayVwGrdFntSize:x7", &AppSettings::DayVwGrdFntSize, 14},
        {"DayVwGrdFntSize:7x", &AppSettings::DayVwGrdFntSize, 14},
        {"DayVwGrdFntSize:--5", &AppSettings::DayVwGrdFntSize, 0},
        {"RcdrFntSize:-99999999999", &AppSettings::RcdrFntSize, INT_MIN},
        {"TimeInitForNewMode:2", &AppSettings::TimeInitForNewMode, 2},
        {"ItmSelMode:0", &AppSettings::ItmSelMode, 0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        int rc = 1;
        AppSettings s = ReadFrom(dir, Cp932File({"[System]", c.line, ""}), &rc);
        EXPECT_EQ(rc, 0) << c.line;
        EXPECT_EQ(s.*c.field, c.expected) << c.line;
    }
}

TEST(Settings, TextFontAndWidthKeys) {
    TempDir dir;
    std::string font40(40, 'F');
    AppSettings s = ReadFrom(
        dir, Cp932File({"[System]", ("DayVwGrdFntName:" + font40).c_str(), "DataFile:/home/u/a:b/user.sdf",
                        "PlaceName:", "MemoName:覚え書き", "PlaceSepaStr:→", "DayVwLndColWdh02:55",
                        "MapVwPrtColWdh04:7", "Version:3.1.2010.0430", "Program Name:x", "Copyright:y", "Junk:1"}));
    EXPECT_EQ(s.DayVwGrdFntName, std::u16string(31, u'F'));
    EXPECT_EQ(s.DataFile, u"/home/u/a:b/user.sdf");
    EXPECT_EQ(s.PlaceName, u"");
    EXPECT_EQ(s.MemoName, u"覚え書き");
    EXPECT_EQ(s.PlaceSepaStr, u"→");
    EXPECT_EQ(s.DayVwLndColWdh[2], 55);
    EXPECT_EQ(s.DayVwLndColWdh[1], -1);
    EXPECT_EQ(s.MapVwPrtColWdh[4], 7);
    EXPECT_EQ(s.Version, u"3.1.2010.0430");
}

TEST(Settings, ListSectionsWithTheirCapacities) {
    TempDir dir;
    // "会社" and "学校" as raw CP932 bytes, LF and lone CR line ends mixed in.
    std::string bytes = "[Place]\r\n\x89\xEF\x8E\xD0\n\x8A\x77\x8D\x5A\r\r\n";
    bytes += "[Find]\r\n";
    for (int i = 1; i <= 12; ++i)
        bytes += "f" + std::to_string(i) + "\r\n";
    bytes += "\r\nstray line\r\n[Category2]\r\nlast without line end";
    int rc = 1;
    AppSettings s = ReadFrom(dir, bytes, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(s.lists.Place, (std::vector<std::u16string>{u"会社", u"学校"}));
    ASSERT_EQ(s.lists.Find.size(), 10u);
    EXPECT_EQ(s.lists.Find[9], u"f10");
    EXPECT_TRUE(s.lists.Memo.empty()); // missing section: empty, not the defaults
    EXPECT_TRUE(s.lists.Category1.empty());
    EXPECT_TRUE(s.lists.Category2.empty()); // the unterminated last line is not read

    std::string many = "[Memo]\r\n";
    for (int i = 0; i < 25; ++i)
        many += "m" + std::to_string(i) + "\r\n";
    AppSettings m = ReadFrom(dir, many);
    EXPECT_EQ(m.lists.Memo.size(), 20u);
}

TEST(Settings, ReadingResetsListsAndWidthsAndFailsOnAnUnreadableFile) {
    TempDir dir;
    TempDir::WriteBytes(dir.file("TideLog.dat"), Cp932File({"[System]", "StartupMode:1"}));
    AppSettings s = DefaultSettings(144);
    s.lists.Place = {u"old"};
    s.DayVwPrtColWdh[0] = 40;
    EXPECT_EQ(ReadSettings(s, dir.file16("TideLog.dat")), 0);
    EXPECT_TRUE(s.lists.Place.empty());
    EXPECT_EQ(s.DayVwPrtColWdh[0], -1);

    EXPECT_EQ(ReadSettings(s, dir.file16("missing.dat")), -1);
    // A folder in the file's place opens but cannot be read.
    mkdir(dir.file("Folder.dat").c_str(), 0755);
    EXPECT_LT(ReadSettings(s, dir.file16("Folder.dat")), 0);
}

const char* const kDefaultFile[] = {
    "[System]",
    "Program Name:Tidemark",
    "Version:3.2.2010.1114",
    "Copyright:Copyright (C) 2010 Tidemark",
    "StartupMode:0",
    "ViewModeSave:1",
    "InitView:3",
    "DaySeqVwLineNum:0",
    "SeqViewRng:20",
    "MonViewTapOpeMode:1",
    "DayVwMltDayMode:1",
    "OkBtnVwMode:1",
    "ToolBarVwMode:1",
    "DayVwGrdFntName:MS UI Gothic",
    "DayVwGrdFntSize:14",
    "WekVwGrdFntName:MS UI Gothic",
    "WekVwGrdFntSize:14",
    "MthVwGrdFntName:MS UI Gothic",
    "MthVwGrdFntSize:14",
    "MthVwLstFntName:MS UI Gothic",
    "MthVwLstFntSize:14",
    "LstVwGrdFntName:MS UI Gothic",
    "LstVwGrdFntSize:14",
    "MapVwGrdFntName:MS UI Gothic",
    "MapVwGrdFntSize:14",
    "MapVwLstFntName:MS UI Gothic",
    "MapVwLstFntSize:14",
    "RcdrFntName:MS UI Gothic",
    "RcdrFntSize:15",
    "DayVwPrtColWdh00:-1",
    "DayVwPrtColWdh01:-1",
    "DayVwPrtColWdh02:-1",
    "DayVwPrtColWdh03:-1",
    "DayVwLndColWdh00:-1",
    "DayVwLndColWdh01:-1",
    "DayVwLndColWdh02:-1",
    "DayVwLndColWdh03:-1",
    "MapVwPrtColWdh00:-1",
    "MapVwPrtColWdh01:-1",
    "MapVwPrtColWdh02:-1",
    "MapVwPrtColWdh03:-1",
    "MapVwPrtColWdh04:-1",
    "MapVwLndColWdh00:-1",
    "MapVwLndColWdh01:-1",
    "MapVwLndColWdh02:-1",
    "MapVwLndColWdh03:-1",
    "MapVwLndColWdh04:-1",
    "TimeInitForNewMode:-1",
    "TimeInitForFollowMode:1",
    "PlaceSepaStr:－＞",
    "NoMemPlaceSepaStr:0",
    "EditOpeCont:0",
    "DispListAfterFind:0",
    "StaDtTmName:開始",
    "EndDtTmName:終了",
    "LatName:緯度",
    "LonName:経度",
    "SbjctName:件名",
    "PlaceName:場所",
    "Cate1Name:分類1",
    "Cate2Name:分類2",
    "MemoName:メモ",
    "ActTxtMode:1",
    "ItmSelMode:1",
    "DataFile:/data/user.sdf",
    "",
    "[Place]",
    "会社",
    "学校",
    "自宅",
    "レストラン",
    "公園",
    "",
    "[Memo]",
    "",
    "[Category1]",
    "仕事",
    "アルバイト",
    "授業",
    "クラブ",
    "遊び",
    "スポーツ",
    "食事",
    "散歩",
    "その他",
    "",
    "[Category2]",
    "デスクワーク",
    "打合せ",
    "出張",
    "コンビニ",
    "ガソリンスタンド",
    "おしゃべり",
    "映画",
    "買い物",
    "スキー",
    "水泳",
    "",
    "[Find]",
    "",
};

TEST(Settings, WritesEveryKeyInOrderInCp932WithCrLf) {
    TempDir dir;
    ScriptedMessages messages;
    AppSettings s = DefaultSettings(144);
    FillDefaultLists(s.lists);
    s.DataFile = u"/data/user.sdf";
    s.SetNowForCreate = 0; // read but never written
    ASSERT_EQ(SaveSettings(s, 3, dir.file16("TideLog.dat")), 0);
    std::string expected;
    for (const char* line : kDefaultFile)
        expected += ToCp932(FromUtf8(line)) + "\r\n";
    EXPECT_EQ(TempDir::ReadBytes(dir.file("TideLog.dat")), expected);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"TideLog.dat"});
}

TEST(Settings, InitViewIsTheCurrentViewOnlyWhenViewModeSaveIsOne) {
    TempDir dir;
    AppSettings s = DefaultSettings(96);
    s.ViewModeSave = 0;
    s.InitView = 2;
    ASSERT_EQ(SaveSettings(s, 4, dir.file16("TideLog.dat")), 0);
    AppSettings back = DefaultSettings(96);
    ASSERT_EQ(ReadSettings(back, dir.file16("TideLog.dat")), 0);
    EXPECT_EQ(back.InitView, 2);
}

TEST(Settings, WhatIsWrittenReadsBack) {
    TempDir dir;
    AppSettings s = DefaultSettings(144);
    s.StartupMode = 2;
    s.SeqViewRng = 0;
    s.DayVwGrdFntName = u"Noto Sans CJK JP";
    s.DayVwGrdFntSize = -13;
    s.DayVwPrtColWdh = {10, 20, 30, 40};
    s.MapVwLndColWdh = {1, 2, 3, 4, 5};
    s.TimeInitForNewMode = 2;
    s.PlaceSepaStr = u"";
    s.Cate2Name = u"種類:二";
    s.DataFile = u"/x/データ.sdf";
    s.lists.Place = {u"駅", u"港"};
    s.lists.Memo = {u"メモ"};
    s.lists.Find = {u"件名 like '%a%'"};
    ASSERT_EQ(SaveSettings(s, 1, dir.file16("TideLog.dat")), 0);
    AppSettings back = DefaultSettings(144);
    ASSERT_EQ(ReadSettings(back, dir.file16("TideLog.dat")), 0);
    s.Version = kSettingsVersion;
    EXPECT_EQ(back, s);
}

TEST(Settings, AFailedRenameKeepsTheOldFileAndTellsTheUser) {
    TempDir dir;
    ScriptedMessages messages;
    // A non-empty folder in the file's place refuses to be replaced.
    std::string target = dir.file("TideLog.dat");
    mkdir(target.c_str(), 0755);
    TempDir::WriteBytes(target + "/keep", "k");
    AppSettings s = DefaultSettings(96);
    EXPECT_NE(SaveSettings(s, 1, dir.file16("TideLog.dat")), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"設定ファイルの書込みに失敗しました。");
    EXPECT_EQ(messages.last().caption, u"書込みエラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(TempDir::ReadBytes(target + "/keep"), "k");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"TideLog.dat"});
}

TEST(Settings, ADiskThatFillsUpKeepsTheOldFile) {
    TempDir dir;
    ScriptedMessages messages;
    std::string old = Cp932File({"[System]", "StartupMode:1", "", "[Place]", "会社", ""});
    TempDir::WriteBytes(dir.file("TideLog.dat"), old);
    AppSettings s = DefaultSettings(96);
    FillDefaultLists(s.lists);
    // Files may grow to 200 bytes only: the write runs out of room part way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &small);
    int rc = SaveSettings(s, 1, dir.file16("TideLog.dat"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(rc, 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"設定ファイルの書込みに失敗しました。");
    EXPECT_EQ(TempDir::ReadBytes(dir.file("TideLog.dat")), old);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"TideLog.dat"});
}

TEST(Settings, SavingKeepsTheModeAndWritesThroughALink) {
    TempDir dir;
    ScriptedMessages messages;
    AppSettings s = DefaultSettings(96);
    s.StartupMode = 2;
    std::string file = dir.file("TideLog.dat");
    TempDir::WriteBytes(file, Cp932File({"[System]", "StartupMode:1", ""}));
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(SaveSettings(s, 1, dir.file16("TideLog.dat")), 0);
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // A linked settings file (kept in a dotfiles folder) stays a link; its target is written.
    mkdir(dir.file("dotfiles").c_str(), 0700);
    std::string real = dir.file("dotfiles/TideLog.dat");
    ASSERT_EQ(rename(file.c_str(), real.c_str()), 0);
    ASSERT_EQ(symlink("dotfiles/TideLog.dat", file.c_str()), 0);
    s.StartupMode = 0;
    ASSERT_EQ(SaveSettings(s, 1, dir.file16("TideLog.dat")), 0);
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    AppSettings back = DefaultSettings(96);
    ASSERT_EQ(ReadSettings(back, FromUtf8(real)), 0);
    EXPECT_EQ(back.StartupMode, 0);
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(FilesIn(dir.file("dotfiles")), std::vector<std::string>{"TideLog.dat"});
    EXPECT_EQ(messages.count(), 0u);
}

// CP932 cannot hold "é": a data file in the settings folder is stored relative to it
// and found again; one elsewhere is refused where it is chosen.
TEST(Settings, DataFilePathsCp932CannotHold) {
    TempDir base;
    ScriptedMessages messages;
    std::string folder = base.file("josé");
    mkdir(folder.c_str(), 0700);
    std::u16string settingsPath = FromUtf8(folder + "/TideLog.dat");
    AppSettings s = DefaultSettings(96);
    for (const char* name : {"/user.sdf", "/日記/user.sdf"}) {
        s.DataFile = FromUtf8(folder + name);
        EXPECT_EQ(CheckDataFilePathStorable(nullptr, s.DataFile, settingsPath), 0);
        ASSERT_EQ(SaveSettings(s, 1, settingsPath), 0);
        std::string bytes = TempDir::ReadBytes(folder + "/TideLog.dat");
        EXPECT_NE(bytes.find("DataFile:" + ToCp932(FromUtf8(name + 1)) + "\r\n"), std::string::npos) << name;
        AppSettings back = DefaultSettings(96);
        ASSERT_EQ(ReadSettings(back, settingsPath), 0);
        EXPECT_EQ(back.DataFile, s.DataFile);
    }
    // Paths CP932 holds are stored as they are, wherever they lie.
    EXPECT_EQ(StoredDataFilePath(u"/data/日記/user.sdf", settingsPath), u"/data/日記/user.sdf");
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(CheckDataFilePathStorable(nullptr, FromUtf8(folder + "/ümlaut.sdf"), settingsPath), -1);
    std::u16string elsewhere = u"/home/josé/diary/user.sdf";
    messages.Clear();
    EXPECT_EQ(CheckDataFilePathStorable(nullptr, elsewhere, settingsPath), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"データファイル名不正");
    EXPECT_TRUE(messages.last().text.starts_with(u"データファイル名 '/home/josé/diary/user.sdf' には"));
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST(Settings, Migrations) {
    struct Case {
        const char16_t* version; // nullptr: no Version key
        int seqViewRng;
        std::optional<int> setNowForCreate;
        int newMode, followMode;
        int expectedSeq, expectedNew, expectedFollow;
    } cases[] = {
        {nullptr, 20, std::nullopt, -1, 1, 0, 1, 1}, {u"2.3.2003.1122", 9, 0, -1, 1, 0, 2, 1},
        {u"2.3.2003.1122", 10, 1, -1, -1, 10, 1, 1}, {u"2.3.2003.1121", 5, 0, -1, -1, 0, 2, 2},
        {u"2.3.2003.1123", 5, 0, 1, 1, 5, 1, 1},     {u"3.2.2010.1114", 20, 5, -1, 2, 20, 1, 2},
    };
    for (const auto& c : cases) {
        AppSettings s = DefaultSettings(96);
        if (c.version) s.Version = c.version;
        s.SeqViewRng = c.seqViewRng;
        s.SetNowForCreate = c.setNowForCreate;
        s.TimeInitForNewMode = c.newMode;
        s.TimeInitForFollowMode = c.followMode;
        ApplySettingsMigrations(s, u"/p/user.sdf");
        std::string label = c.version ? ToUtf8(c.version) : "none";
        EXPECT_EQ(s.SeqViewRng, c.expectedSeq) << label;
        EXPECT_EQ(s.TimeInitForNewMode, c.expectedNew) << label;
        EXPECT_EQ(s.TimeInitForFollowMode, c.expectedFollow) << label;
        EXPECT_EQ(s.DataFile, u"/p/user.sdf");
    }
    AppSettings kept = DefaultSettings(96);
    kept.DataFile = u"/elsewhere/a.sdf";
    ApplySettingsMigrations(kept, u"/p/user.sdf");
    EXPECT_EQ(kept.DataFile, u"/elsewhere/a.sdf");
}

TEST(Settings, RememberPickValueKeepsTheMostRecentFirst) {
    std::vector<std::u16string> list;
    for (int i = 0; i < 80; ++i)
        list.push_back(FormatText("p%d", i));
    RememberPickValue(list, kPlaceCapacity, u"p5"); // sixth moves to the front
    EXPECT_EQ(list.size(), 80u);
    EXPECT_EQ(list[0], u"p5");
    EXPECT_EQ(list[1], u"p0");
    EXPECT_EQ(list[5], u"p4");
    EXPECT_EQ(list[6], u"p6");
    RememberPickValue(list, kPlaceCapacity, u"new"); // full: the 80th drops out
    EXPECT_EQ(list.size(), 80u);
    EXPECT_EQ(list[0], u"new");
    EXPECT_EQ(list[79], u"p78");
    RememberPickValue(list, kPlaceCapacity, u"P0"); // case matters
    EXPECT_EQ(list[0], u"P0");
    std::vector<std::u16string> before = list;
    RememberPickValue(list, kPlaceCapacity, u"");
    RememberPickValue(list, kPlaceCapacity, std::nullopt);
    RememberPickValue(list, kPlaceCapacity, u"P0");
    EXPECT_EQ(list, before);
    std::vector<std::u16string> memo;
    RememberPickValue(memo, kMemoCapacity, u"a");
    RememberPickValue(memo, kMemoCapacity, u"b");
    EXPECT_EQ(memo, (std::vector<std::u16string>{u"b", u"a"}));
}

} // namespace
