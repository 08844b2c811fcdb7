// The value grammars, the character classes and the editor's field checks.
#include "edit/ExtItemCheck.h"

#include "core/Utf.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t ok = kTextMatches;

struct GrammarCase {
    size_t (*check)(std::u16string_view);
    const char* grammar;
    const char* text;
    size_t fault; // kTextMatches when the text fits
};

class GrammarTest : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(GrammarTest, FindsTheFirstCharacterThatDoesNotFit) {
    const GrammarCase& c = GetParam();
    EXPECT_EQ(c.check(FromUtf8(c.text)), c.fault) << c.grammar << " \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Integer, GrammarTest,
    ::testing::Values(GrammarCase{CheckIntegerText, "int", "12", ok}, GrammarCase{CheckIntegerText, "int", "-12", ok},
                      GrammarCase{CheckIntegerText, "int", "+ 3", ok}, GrammarCase{CheckIntegerText, "int", "", 0},
                      GrammarCase{CheckIntegerText, "int", "-", 1}, GrammarCase{CheckIntegerText, "int", "1.0", 1},
                      GrammarCase{CheckIntegerText, "int", "12 ", 2}, GrammarCase{CheckIntegerText, "int", "--1", 1},
                      GrammarCase{CheckIntegerText, "int", "１", 0}));

INSTANTIATE_TEST_SUITE_P(
    Float, GrammarTest,
    ::testing::Values(GrammarCase{CheckFloatText, "float", "65.5", ok}, GrammarCase{CheckFloatText, "float", "5.", ok},
                      GrammarCase{CheckFloatText, "float", "-.5", ok},
                      GrammarCase{CheckFloatText, "float", "+ 2.5", ok},
                      GrammarCase{CheckFloatText, "float", "1e+5", ok},
                      GrammarCase{CheckFloatText, "float", "1.5e-30", ok},
                      GrammarCase{CheckFloatText, "float", "7", ok}, GrammarCase{CheckFloatText, "float", "1e5", 2},
                      GrammarCase{CheckFloatText, "float", "1E+5", 1}, GrammarCase{CheckFloatText, "float", "1e+", 3},
                      GrammarCase{CheckFloatText, "float", ".5", 0}, GrammarCase{CheckFloatText, "float", "- .5", 2},
                      GrammarCase{CheckFloatText, "float", "-.", 2}, GrammarCase{CheckFloatText, "float", "1.2.3", 3},
                      GrammarCase{CheckFloatText, "float", "1.5 ", 3}, GrammarCase{CheckFloatText, "float", "", 0}));

INSTANTIATE_TEST_SUITE_P(
    DateAndTime, GrammarTest,
    ::testing::Values(
        GrammarCase{CheckDateText, "date", "2010/11/14", ok}, GrammarCase{CheckDateText, "date", "2010.11.14", ok},
        GrammarCase{CheckDateText, "date", "2010 / 11 . 14", ok}, GrammarCase{CheckDateText, "date", "2010/13/45", ok},
        GrammarCase{CheckDateText, "date", "2010-11-14", 4}, GrammarCase{CheckDateText, "date", "2010/11", 7},
        GrammarCase{CheckDateText, "date", "2010/11/14 ", 10}, GrammarCase{CheckDateText, "date", "/11/14", 0},
        GrammarCase{CheckTimeText, "time", "9:05:00", ok}, GrammarCase{CheckTimeText, "time", "9 : 5 : 0", ok},
        GrammarCase{CheckTimeText, "time", "25:99:99", ok}, GrammarCase{CheckTimeText, "time", "9:05", 4},
        GrammarCase{CheckTimeText, "time", "9:05:00x", 7}, GrammarCase{CheckTimeText, "time", "9/05/00", 1},
        GrammarCase{CheckDateTimeText, "datetime", "2010/11/14 09:05:00", ok},
        GrammarCase{CheckDateTimeText, "datetime", "2010/11/14   9:5:0", ok},
        GrammarCase{CheckDateTimeText, "datetime", "2010/11/1409:05:00", 12},
        GrammarCase{CheckDateTimeText, "datetime", "2010/11/14", 10},
        GrammarCase{CheckDateTimeText, "datetime", "2010/11/14 09:05", 16}));

INSTANTIATE_TEST_SUITE_P(FilePath, GrammarTest,
                         ::testing::Values(GrammarCase{CheckFilePathText, "File", "/home/a.txt", ok},
                                           GrammarCase{CheckFilePathText, "File", "\\Storage Card\\a.txt", ok},
                                           GrammarCase{CheckFilePathText, "File", "\\My Documents/x", ok},
                                           GrammarCase{CheckFilePathText, "File", "/", ok},
                                           GrammarCase{CheckFilePathText, "File", "a.txt", 0},
                                           GrammarCase{CheckFilePathText, "File", "", 0},
                                           GrammarCase{CheckFilePathText, "File", "/a*b", 2},
                                           GrammarCase{CheckFilePathText, "File", "/a\"b", 2},
                                           GrammarCase{CheckFilePathText, "File", "/a<b>", 2},
                                           GrammarCase{CheckFilePathText, "File", "/ab?", 3},
                                           GrammarCase{CheckFilePathText, "File", "/a|b", 2},
                                           GrammarCase{CheckFilePathText, "File", "/a ", 2}));

TEST(CharacterClassTest, RangesHaveTheirEdges) {
    struct Case {
        char16_t c;
        bool display;
        bool string;
    } cases[] = {
        {u'a', true, true},     {u'_', true, true},     {u' ', false, true},    {u'~', false, true},
        {0x7F, false, false},   {0x00E9, false, false}, {0x0300, false, true},  {0x1F73, false, true},
        {0x1F74, false, false}, {0x2000, true, true},   {0x303D, true, true},   {0x303E, false, false},
        {0x3041, true, true},   {0x30FF, true, true},   {0x3190, true, true},   {0x33FE, true, true},
        {0x3401, false, false}, {0x3402, true, true},   {0x3FDC, true, true},   {0x4039, true, true},
        {0x4D77, true, true},   {0x4E00, true, true},   {0x9FA5, true, true},   {0x9FA6, false, false},
        {0xFF01, true, true},   {0xFFEE, true, true},   {0xFFEF, false, false}, {0xD800, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDisplayNameChar(c.c), c.display) << std::hex << int(c.c);
        EXPECT_EQ(IsStringChar(c.c), c.string) << std::hex << int(c.c);
    }
}

struct FieldCase {
    ExtItem item;
    int code;
    size_t position;
};

class FieldCheckTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldCheckTest, NamesTheFailingFieldAndCharacter) {
    size_t position = 99;
    EXPECT_EQ(CheckExtItem(GetParam().item, position), GetParam().code);
    EXPECT_EQ(position, GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldCheckTest,
                         ::testing::Values(FieldCase{{u"w", u"体重", u"float", u"65.5"}, 0, 0},
                                           FieldCase{{u"s", u"文", u"string", u"any\ttext é"}, 0, 0},
                                           FieldCase{{u"s", u"文", u"mlstring", u"a\nb"}, 0, 0},
                                           FieldCase{{u"", u"x", u"int", u"1"}, kExtFieldName, 0},
                                           FieldCase{{u"1a", u"x", u"int", u"1"}, kExtFieldName, 0},
                                           FieldCase{{u"ab-c", u"x", u"int", u"1"}, kExtFieldName, 2},
                                           FieldCase{{u"a", u"", u"int", u"1"}, kExtFieldDisplayName, 0},
                                           FieldCase{{u"a", u"体 重", u"int", u"1"}, kExtFieldDisplayName, 1},
                                           FieldCase{{u"a", u"x", u"Int", u"1"}, kExtFieldType, 0},
                                           FieldCase{{u"a", u"x", u"int", u"1x"}, kExtFieldInt, 1},
                                           FieldCase{{u"a", u"x", u"float", u"1e5"}, kExtFieldFloat, 2},
                                           FieldCase{{u"a", u"x", u"date", u"2010/11"}, kExtFieldDate, 7},
                                           FieldCase{{u"a", u"x", u"time", u"10:00"}, kExtFieldTime, 5},
                                           FieldCase{{u"a", u"x", u"datetime", u"2010/11/14"}, kExtFieldDateTime, 10},
                                           FieldCase{{u"a", u"x", u"File", u"/a?"}, kExtFieldFile, 2}));

TEST(FieldLabelTest, EveryCodeHasItsLabel) {
    struct Case {
        int code;
        const char16_t* label;
    } cases[] = {
        {-1000, u"名前"},         {-2000, u"表示名称"},   {-3000, u"(予備)"},        {-4000, u"値(int)"},
        {-5000, u"値(float)"},    {-6000, u"値(string)"}, {-7000, u"値(date)"},      {-8000, u"値(time)"},
        {-9000, u"値(datetime)"}, {-10000, u"値(File)"},  {-11000, u"値(mlstring)"}, {-12000, u"タイプ"},
        {0, u"いずれかの"},       {-1, u"いずれかの"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtFieldLabel(c.code), c.label) << c.code;
    for (int i = 0; i < ExtTypeCount; ++i) {
        EXPECT_EQ(ExtTypeIndex(ExtTypeName(i)), i);
        EXPECT_EQ(ExtTypeLabel(i), u"値(" + std::u16string(ExtTypeName(i)) + u")");
    }
    EXPECT_EQ(ExtTypeIndex(u"FILE"), -1);
}

} // namespace
