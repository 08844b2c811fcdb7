// Paths, CP932 text lines, one-line escaping and the binary search.
#include "core/BinarySearch.h"
#include "core/Escape.h"
#include "core/Paths.h"
#include "core/TextLines.h"
#include "core/Utf.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(Paths, SplitPathAndExtension) {
    struct Case {
        std::u16string path;
        int code, allocCode;
        const char16_t* folder;
        const char16_t* name;
    } cases[] = {
        {u"/a/b/c.txt", 0, 0, u"/a/b", u"c.txt"},
        {u"/c.txt", 0, 0, u"", u"c.txt"},
        {u"/a/", 0, 0, u"/a", u""},
        {u"c.txt", -110, -110, nullptr, nullptr},
        {u"", -110, -110, nullptr, nullptr},
        {u"/" + std::u16string(259, u'n'), 0, 0, u"", nullptr},
        {u"/" + std::u16string(260, u'n'), -101, 0, u"", nullptr},
        {std::u16string(260, u'f') + u"/x", -101, 0, nullptr, u"x"},
    };
    for (const auto& c : cases) {
        std::u16string folder = u"?", name = u"?";
        EXPECT_EQ(SplitPath(c.path, folder, name), c.code) << ToUtf8(c.path);
        if (c.code == 0 && c.folder) {
            EXPECT_EQ(folder, c.folder);
        }
        if (c.code == 0 && c.name) {
            EXPECT_EQ(name, c.name);
        }
        std::u16string folder2, name2;
        EXPECT_EQ(SplitPathAlloc(c.path, folder2, name2), c.allocCode);
        if (c.allocCode == 0) {
            EXPECT_EQ(folder2 + u"/" + name2, c.path);
        }
    }
    const std::pair<const char16_t*, const char16_t*> extensions[] = {
        {u"tidemk.csv", u"csv"}, {u"a.b.sdf", u"sdf"}, {u"noext", u""}, {u"trail.", u""}, {u".hidden", u"hidden"}};
    for (const auto& [name, ext] : extensions) {
        std::u16string e = u"?";
        EXPECT_EQ(FileExtension(name, e), 0);
        EXPECT_EQ(e, ext);
    }
}

TEST(Paths, CreateFolderPathCodes) {
    TempDir dir;
    TempDir::WriteBytes(dir.file("file"), "x");
    struct Case {
        std::u16string path;
        int code;
    } cases[] = {
        {dir.file16("new/deeper/deepest"), 0},
        {dir.file16("new/deeper"), 0}, // exists already
        {dir.file16("trailing/"), 0},
        {u"/", 0},
        {u"", -10},
        {u"a", -10},
        {u"/" + std::u16string(259, u'x'), -10},
        {dir.file16("file"), -11},
        {dir.file16("file/sub"), -13},
        {u"relative", -12},
        {u"/proc/tidemark-no-folders-here", -14}, // not even root can make it
    };
    for (const auto& c : cases)
        EXPECT_EQ(CreateFolderPath(c.path), c.code) << ToUtf8(c.path);
    EXPECT_TRUE(IsFolder(dir.file("new/deeper/deepest")));
    EXPECT_TRUE(IsFolder(dir.file("trailing")));
    if (geteuid() != 0) {
        // A folder that cannot be made is reported, not taken for made.
        ASSERT_EQ(chmod(dir.file("new").c_str(), 0500), 0);
        EXPECT_EQ(CreateFolderPath(dir.file16("new/locked")), -14);
        chmod(dir.file("new").c_str(), 0700);
    }
}

TEST(Paths, ProgramFolder) {
    TempDir dir;
    SetProgramFolder(FromUtf8(dir.path()));
    EXPECT_EQ(ProgramFolder(), FromUtf8(dir.path()) + u"/");
    EXPECT_EQ(ProgramFolderPath(u"TideLog.dat"), FromUtf8(dir.path()) + u"/TideLog.dat");
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    EXPECT_EQ(ProgramFolderPath(u"user.sdf"), FromUtf8(dir.path()) + u"/user.sdf");
    SetProgramFolder(u"");
    EXPECT_EQ(NativePath(u"/tmp/日本"), "/tmp/\xE6\x97\xA5\xE6\x9C\xAC");
}

TEST(Paths, DefaultProgramFolderIsMadeUnderXdgDataHome) {
    // Run in a child so the process-wide default is decided with this environment.
    TempDir dir;
    EXPECT_EXIT(
        {
            setenv("XDG_DATA_HOME", (dir.path() + "/data").c_str(), 1);
            bool ok =
                ProgramFolder() == FromUtf8(dir.path()) + u"/data/tidemark/" && IsFolder(dir.path() + "/data/tidemark");
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            unsetenv("XDG_DATA_HOME");
            setenv("HOME", dir.path().c_str(), 1);
            bool ok = ProgramFolder() == FromUtf8(dir.path()) + u"/.local/share/tidemark/" &&
                      IsFolder(dir.path() + "/.local/share/tidemark");
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct Line {
    int code;
    std::u16string text;
    size_t bytes;
};

std::vector<Line> ReadAllLines(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<Line> lines;
    if (!f) return lines;
    for (int guard = 0; guard < 100; ++guard) {
        Line l{0, u"", 0};
        l.code = ReadTextLine(f, l.text, l.bytes);
        lines.push_back(l);
        if (l.code != 0) break;
    }
    std::fclose(f);
    return lines;
}

TEST(TextLines, LineEnds) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::vector<std::pair<int, std::u16string>> lines;
    } cases[] = {
        {"a\rb\n", {{0, u"a"}, {0, u"b"}, {-1, u""}}},
        {"a\r\nb\nc\rd", {{0, u"a"}, {0, u"b"}, {0, u"c"}, {-1, u"d"}}},
        {"\n\r\n\r", {{0, u""}, {0, u""}, {0, u""}, {-1, u""}}},
        {"last", {{-1, u"last"}}},
        {"", {{-1, u""}}},
        {"a\r\r\nb", {{0, u"a"}, {0, u""}, {-1, u"b"}}},
        {std::string(2500, 'x') + "\n", {{0, std::u16string(2500, u'x')}, {-1, u""}}},
    };
    for (const auto& c : cases) {
        TempDir::WriteBytes(dir.file("lines.txt"), c.bytes);
        auto lines = ReadAllLines(dir.file("lines.txt"));
        ASSERT_EQ(lines.size(), c.lines.size()) << c.bytes;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].code, c.lines[i].first);
            EXPECT_EQ(lines[i].text, c.lines[i].second);
        }
    }
}

TEST(TextLines, Cp932RoundTrip) {
    TempDir dir;
    const std::u16string texts[] = {u"日本語の行", u"出発－＞到着", u"ｶﾞｷﾞ半角", u"", u"tab\there", u"絵文字😀は?"};
    std::FILE* f = std::fopen(dir.file("out.txt").c_str(), "wb");
    ASSERT_TRUE(f);
    for (const auto& t : texts)
        ASSERT_EQ(WriteTextLine(f, t), 0);
    std::fclose(f);
    std::string bytes = TempDir::ReadBytes(dir.file("out.txt"));
    // "日本語の行" in CP932 followed by CR LF.
    EXPECT_EQ(bytes.substr(0, 12), "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x8d\x73\r\n");
    auto lines = ReadAllLines(dir.file("out.txt"));
    ASSERT_EQ(lines.size(), std::size(texts) + 1);
    for (size_t i = 0; i + 1 < std::size(texts); ++i) {
        EXPECT_EQ(lines[i].code, 0);
        EXPECT_EQ(lines[i].text, texts[i]);
    }
    EXPECT_EQ(lines[0].bytes, 10u);
    // A character CP932 cannot hold comes back as "?".
    EXPECT_EQ(lines[5].text, u"絵文字?は?");
    EXPECT_EQ(lines[6].code, -1);

    std::FILE* ro = std::fopen(dir.file("out.txt").c_str(), "rb");
    ASSERT_TRUE(ro);
    EXPECT_EQ(WriteTextLine(ro, u"x"), -1);
    std::fclose(ro);
}

TEST(Escape, RoundTripsAndTable) {
    struct Case {
        std::u16string text;
        std::u16string escaped;
    } cases[] = {
        {u"a\t\"\x01", u"a\\t\\\"\\x0001"},    {u"back\\slash 'q'", u"back\\\\slash \\'q\\'"},
        {u"l1\r\nl2", u"l1\\r\\nl2"},          {std::u16string(u"nul\0x", 5), u"nul\\x0000x"},
        {u"\x1f\x7f日本", u"\\x001f\x7f日本"}, {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeText(c.text), c.escaped);
        std::u16string back = u"?";
        EXPECT_EQ(UnescapeText(c.escaped, back), 0);
        EXPECT_EQ(back, c.text);
    }
}

TEST(Escape, UnescapeRules) {
    struct Case {
        const char16_t* escaped;
        std::u16string text;
    } cases[] = {
        {u"\\x41B", u"\x41B"}, {u"\\x41-", u"A-"}, {u"\\x41", u"A"},   {u"\\x0041BC", u"ABC"}, {u"\\x4g", u"\x04"},
        {u"\\x-", u"-"},       {u"a\\qb", u"ab"},  {u"end\\", u"end"}, {u"\\\\x41", u"\\x41"}, {u"\\x", u""},
    };
    for (const auto& c : cases) {
        std::u16string out;
        EXPECT_EQ(UnescapeText(c.escaped, out), 0);
        EXPECT_EQ(out, c.text) << ToUtf8(c.escaped);
    }
}

TEST(BinarySearch, LowerAndUpper) {
    const std::vector<int> v = {1, 3, 3, 3, 5, 8};
    auto search = [&](const std::vector<int>& a, int key, SearchMode mode) {
        return BinarySearch(a.size(), mode, [&](size_t i) { return a[i] < key ? -1 : (a[i] > key ? 1 : 0); });
    };
    struct Case {
        int key;
        size_t lower, upper;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {2, 1, 1}, {3, 1, 4}, {4, 4, 4}, {5, 4, 5}, {8, 5, 6}, {9, 6, 6}};
    for (const auto& c : cases) {
        EXPECT_EQ(search(v, c.key, SearchMode::Lower), c.lower) << c.key;
        EXPECT_EQ(search(v, c.key, SearchMode::Upper), c.upper) << c.key;
    }
    EXPECT_EQ(search({}, 3, SearchMode::Lower), 0u);
    EXPECT_EQ(search({}, 3, SearchMode::Upper), 0u);
    const std::vector<int> same(7, 2);
    EXPECT_EQ(search(same, 2, SearchMode::Lower), 0u);
    EXPECT_EQ(search(same, 2, SearchMode::Upper), 7u);
}

} // namespace
