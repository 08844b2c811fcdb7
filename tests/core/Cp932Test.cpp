// CP932 bytes through iconv, and the UTF-8 conversions beside them.
#include "core/Cp932.h"
#include "core/Utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, JapaneseRoundTripsWithExactBytes) {
    // "予定－＞会議" : the full-width minus and greater-than of the category separator.
    std::u16string text = u"予定－＞会議";
    std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes, "\x97\x5c\x92\xe8\x81\x7c\x81\x84\x89\xef\x8b\x63");
    EXPECT_EQ(FromCp932(bytes), text);
}

TEST(Cp932, AsciiAndHalfWidthKanaStaySingleBytes) {
    EXPECT_EQ(ToCp932(u"abc 09\t"), "abc 09\t");
    EXPECT_EQ(ToCp932(u"ｱｲ"), "\xb1\xb2");
    EXPECT_EQ(FromCp932("\xb1\xb2"), u"ｱｲ");
}

TEST(Cp932, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToCp932(u"a€b"), "a?b");
    // A character outside the BMP is one "?", not two.
    EXPECT_EQ(ToCp932(u"x\U0001F600y"), "x?y");
    // A lone surrogate too.
    std::u16string lone = u"a";
    lone += char16_t(0xD800);
    lone += u"b";
    EXPECT_EQ(ToCp932(lone), "a?b");
}

TEST(Cp932, CombiningMarksAreComposedFirst) {
    EXPECT_EQ(ComposeKana(u"か\u3099"), u"が");
    EXPECT_EQ(ComposeKana(u"ハ\u309A"), u"パ");
    EXPECT_EQ(ComposeKana(u"ウ\u3099"), u"ヴ");
    EXPECT_EQ(ComposeKana(u"あ\u3099"), u"あ\u3099"); // no voiced form
    EXPECT_EQ(ToCp932(u"か\u3099"), ToCp932(u"が"));
    EXPECT_EQ(ToCp932(u"ひ\u309A"), ToCp932(u"ぴ"));
}

TEST(Cp932, BrokenBytesDecodeToReplacementWithoutLosingTheRest) {
    // 0x81 followed by a byte that cannot trail it, then a truncated lead byte at the end.
    std::u16string text = FromCp932(std::string("a\x81\x20" "b\x82", 5));
    EXPECT_EQ(text.substr(0, 1), u"a");
    EXPECT_NE(text.find(u'b'), std::u16string::npos);
    EXPECT_EQ(text.back(), u'\uFFFD');
}

TEST(Cp932, LongTextsConvert) {
    std::u16string text;
    for (int i = 0; i < 5000; ++i) text += u"日本語€";
    std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes.size(), 5000u * 7);
    std::u16string back = FromCp932(bytes);
    EXPECT_EQ(back.size(), 5000u * 4);
}

TEST(Utf8, RoundTripsAndRepairs) {
    std::u16string text = u"日本 a \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(FromUtf8("a\xff" "b"), u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xe6\x97"), u"\uFFFD\uFFFD"); // truncated sequence
}

TEST(FormatText, UsesTheCLibraryFormats) {
    EXPECT_EQ(FormatText("%f", 1.5), u"1.500000");
    EXPECT_EQ(FormatText("%g", 1.7976931348623157e308), u"1.79769e+308");
    EXPECT_EQ(FormatText("%04d/%02d/%02d", 2010, 11, 4), u"2010/11/04");
    std::string longText(1000, 'x');
    EXPECT_EQ(FormatText("%s!", longText.c_str()).size(), 1001u);
}

} // namespace
