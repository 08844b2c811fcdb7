// The filter text: pairs, the malformed forms, the ten-type limit, the default
// extension and the pattern matching; folder paths and the parent walk.
#include "filedlg/FileFilter.h"
#include "core/Utf.h"
#include "filedlg/FolderListing.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr char16_t kExchangeFilter[] = u"TSV/CSVファイル (*.csv)|*.csv|データファイル (*.dat)|*.dat|"
                                       u"テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*";

struct ParseCase {
    const char* text;
    int rc;
    size_t types;
};

TEST(FileFilter, ParsesPairsAndRefusesMalformedTexts) {
    const ParseCase cases[] = {
        {"", 0, 0},            // no types at all
        {"A (*.a)|*.a", 0, 1}, // one pair
        {"A|*.a|B|*.b", 0, 2}, // two pairs
        {"|*.a", 0, 1},        // an empty description is still a type
        {"A", -1, 0},          // ends after a description
        {"A|", -1, 0},         // "|" without a pattern
        {"A|*.a|B", -1, 0},    // second pair without its pattern
        {"A|*.a|", -1, 0},     // trailing "|": an empty description without pattern
        {"A||B|*.b", -1, 0},   // empty pattern in the middle
    };
    for (const ParseCase& c : cases) {
        FileFilter filter;
        EXPECT_EQ(ParseFileFilter(FromUtf8(c.text), filter), c.rc) << c.text;
        EXPECT_EQ(filter.patterns.size(), c.types) << c.text;
        EXPECT_EQ(filter.descriptions.size(), c.types) << c.text;
    }
    FileFilter filter;
    ASSERT_EQ(ParseFileFilter(kExchangeFilter, filter), 0);
    ASSERT_EQ(filter.patterns.size(), 4u);
    EXPECT_EQ(ToUtf8(filter.descriptions[2]), "テキストファイル (*.txt)");
    EXPECT_EQ(ToUtf8(filter.patterns[2]), "*.txt");
    EXPECT_EQ(ToUtf8(filter.patterns[3]), "*.*");
}

TEST(FileFilter, KeepsTheFirstTenOfMorePairs) {
    std::u16string text;
    for (int i = 1; i <= 12; ++i)
        text += FormatText("%sT%d|*.t%d", i > 1 ? "|" : "", i, i);
    FileFilter filter;
    ASSERT_EQ(ParseFileFilter(text, filter), 0);
    ASSERT_EQ(filter.patterns.size(), kMaxFileTypes);
    ASSERT_EQ(filter.descriptions.size(), kMaxFileTypes);
    EXPECT_EQ(ToUtf8(filter.descriptions[9]), "T10");
    EXPECT_EQ(ToUtf8(filter.patterns[9]), "*.t10");
    // A malformed tail beyond the limit still makes the whole text malformed.
    EXPECT_EQ(ParseFileFilter(text + u"|T13", filter), -1);
}

TEST(FileFilter, DefaultExtensionComesFromTheFirstPattern) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {kExchangeFilter, "csv"},
        {u"すべてのファイル (*.*)|*.*|CSV|*.csv", ""}, // "*" in the extension adds nothing
        {u"All|*", ""},                                // no "." at all
        {u"Archive|*.tar.gz", "gz"},                   // after the last "."
        {u"Log|log.c*", ""},
        {u"", ""},
    };
    for (const auto& [text, extension] : cases) {
        FileFilter filter;
        ASSERT_EQ(ParseFileFilter(text, filter), 0);
        EXPECT_EQ(ToUtf8(DefaultExtension(filter)), extension) << ToUtf8(text);
    }
}

TEST(FileFilter, MatchesPatternsWithoutLetterCase) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.csv", "log.csv", true},
        {"*.csv", "LOG.CSV", true},
        {"*.csv", "log.txt", false},
        {"*.csv", "csv", false},
        {"*.csv", "log.csv.bak", false},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"*.*", ".profile", true},
        {"data?.dat", "data1.dat", true},
        {"data?.dat", "data10.dat", false},
        {"*.csv", "日本語.csv", true},
        {"log.*", "log", true},
        {"log.*", "logs", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesFilePattern(FromUtf8(c.pattern), FromUtf8(c.name)), c.match) << c.pattern << " " << c.name;
}

TEST(FolderPaths, JoinAndClimbToTheRoot) {
    EXPECT_EQ(ToUtf8(JoinFolderPath(u"/", u"a")), "/a");
    EXPECT_EQ(ToUtf8(JoinFolderPath(u"/x", u"a.csv")), "/x/a.csv");
    EXPECT_EQ(ToUtf8(JoinFolderPath(u"/x/", u"a.csv")), "/x/a.csv");
    const std::pair<const char*, const char*> parents[] = {
        {"/", "/"}, {"/x", "/"}, {"/x/", "/"}, {"/x/y", "/x"}, {"/x/y/", "/x"}, {"/x/y/z", "/x/y"},
    };
    for (const auto& [folder, parent] : parents)
        EXPECT_EQ(ToUtf8(ParentFolder(FromUtf8(folder))), parent) << folder;
}

TEST(FolderPaths, HomeComesFromTheEnvironment) {
    const char* saved = std::getenv("HOME");
    std::string old = saved ? saved : "";
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(ToUtf8(HomeFolder()), "/home/someone");
    // Without $HOME the account entry still names a folder.
    unsetenv("HOME");
    std::u16string fallback = HomeFolder();
    EXPECT_FALSE(fallback.empty());
    EXPECT_EQ(fallback.front(), u'/');
    if (saved) setenv("HOME", old.c_str(), 1);
}

} // namespace
