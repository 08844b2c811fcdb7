// CP932 bytes through iconv, and the UTF-8 conversions beside them.
#include "core/Cp932.h"
#include "core/Utf.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

// The whole text through iconv in one call, the way every text was converted before
// ASCII runs were taken apart from the rest ("?" / U+FFFD for what does not convert).
std::string OneShot(const char* to, const char* from, std::string_view in, size_t unit, std::string_view bad) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size(), room = out.size();
    char* dst = out.data();
    while (left > 0 && iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
        std::memcpy(dst, bad.data(), bad.size());
        dst += bad.size();
        room -= bad.size();
        src += unit;
        left -= unit;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
}

std::string EncodeOneShot(std::u16string_view text) {
    std::u16string composed = ComposeKana(text);
    return OneShot("CP932", "UTF-16LE",
                   std::string_view(reinterpret_cast<const char*>(composed.data()), composed.size() * 2), 2, "?");
}

std::u16string DecodeOneShot(std::string_view bytes) {
    const char16_t bad = u'\uFFFD';
    std::string out = OneShot("UTF-16LE", "CP932", bytes, 1, std::string_view(reinterpret_cast<const char*>(&bad), 2));
    return std::u16string(reinterpret_cast<const char16_t*>(out.data()), out.size() / 2);
}

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
    std::u16string text = FromCp932(std::string("a\x81\x20"
                                                "b\x82",
                                                5));
    EXPECT_EQ(text.substr(0, 1), u"a");
    EXPECT_NE(text.find(u'b'), std::u16string::npos);
    EXPECT_EQ(text.back(), u'\uFFFD');
}

// ASCII goes byte for byte, the rest through iconv in runs. Second bytes in the
// ASCII range (0x5C of "ソ", 0x40 of "　"), single-byte kana, broken pairs and
// sound marks next to ASCII must come out as one conversion of the whole text.
TEST(Cp932, RunsConvertAsTheWholeText) {
    const std::string bytes[] = {
        "\x83\x5c\x5c", // ソ then a backslash
        "a\x83\x5c"
        "A\xb1\x81\x40z",                     // kana with an ASCII-range second byte, half-width kana, full-width space
        "\xb1\x81\x40",                       // a single byte before a pair
        "\x81\x20\x81\x40\x41",               // a broken pair, then a pair with ASCII-range second byte
        "x\x82",                              // a first byte with nothing after it
        "\x80\xa0\xfd\xfe\xffq",              // bytes that begin nothing
        std::string("\x97\x5c\0\x95\x5c", 5), // a NUL between pairs
    };
    for (const std::string& b : bytes) {
        EXPECT_EQ(FromCp932(b), DecodeOneShot(b)) << b;
        std::u16string reused = u"left over";
        FromCp932(b, reused);
        EXPECT_EQ(reused, DecodeOneShot(b)) << b;
    }
    const std::u16string texts[] = {
        u"か\u3099a\u3099",   // composed, then a mark after ASCII that has nothing to join
        u"a\u3099",           // a mark right after ASCII
        u"\u3099か",          // a mark first
        u"は\u309Aは\u3099x", // two compositions in one run
        u"ソ\\予~¥€\t",       // backslash and tilde stay ASCII; yen and euro do not
        u"",
    };
    for (const std::u16string& t : texts)
        EXPECT_EQ(ToCp932(t), EncodeOneShot(t)) << ToUtf8(t);
    std::u16string lone = u"か";
    lone += char16_t(0xD800);
    lone += u"a";
    lone += char16_t(0xDC00);
    EXPECT_EQ(ToCp932(lone), EncodeOneShot(lone));
    EXPECT_EQ(ToCp932(u"\U0001F600a\U0001F600"), "?a?"); // a pair is one character
    for (char16_t c = 0; c < 0x80; ++c) {
        std::u16string one(1, c);
        EXPECT_EQ(ToCp932(one), EncodeOneShot(one));
        EXPECT_EQ(FromCp932(std::string(1, static_cast<char>(c))), one);
    }
}

// Characters are remembered one by one after their first conversion: every character
// outside the surrogates, each met twice (learnt, then remembered) and with neighbours
// of all kinds, must still give the bytes of one conversion of the whole text.
TEST(Cp932, RememberedCharactersConvertAsTheWholeText) {
    std::u16string all;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF) all += static_cast<char16_t>(c);
    std::u16string twice = all + u"a" + all;
    EXPECT_EQ(ToCp932(twice), EncodeOneShot(twice));
    for (std::u16string_view t : {u"予定－＞会議", u"ｱｲｳ¥", u"\u00A0\u3000x"})
        EXPECT_EQ(ToCp932(t), EncodeOneShot(t));
}

// Decoding remembers each code's character too: every byte pair and single byte
// from 0x80 up, each met twice (learnt, then remembered) between ASCII, beside
// broken and unmapped codes and at the very end, must decode as the whole text does.
TEST(Cp932, RememberedCodesDecodeAsTheWholeText) {
    std::string all;
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int trail = 0; trail <= 0xFF; ++trail) {
            all += 'x';
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    std::string twice = all + "a" + all;
    EXPECT_EQ(FromCp932(twice), DecodeOneShot(twice));
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        std::string ending = "\x88\x9fz" + std::string(1, static_cast<char>(lead)); // ends in a lone byte
        EXPECT_EQ(FromCp932(ending), DecodeOneShot(ending)) << lead;
    }
}

TEST(Cp932, LongTextsConvert) {
    std::u16string text;
    for (int i = 0; i < 5000; ++i)
        text += u"日本語€";
    std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes.size(), 5000u * 7);
    std::u16string back = FromCp932(bytes);
    EXPECT_EQ(back.size(), 5000u * 4);
}

TEST(Utf8, RoundTripsAndRepairs) {
    std::u16string text = u"日本 a \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(FromUtf8("a\xff"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xe6\x97"), u"\uFFFD\uFFFD"); // truncated sequence
    std::string appended = "x";
    AppendUtf8(u"é日\U0001F600", appended);
    EXPECT_EQ(appended, "x\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80");
    std::u16string lone(1, char16_t(0xDC00));
    EXPECT_EQ(ToUtf8(lone + u"a"), "\xef\xbf\xbd"
                                   "a");
}

TEST(FormatText, UsesTheCLibraryFormats) {
    EXPECT_EQ(FormatText("%f", 1.5), u"1.500000");
    EXPECT_EQ(FormatText("%g", 1.7976931348623157e308), u"1.79769e+308");
    EXPECT_EQ(FormatText("%04d/%02d/%02d", 2010, 11, 4), u"2010/11/04");
    std::string longText(1000, 'x');
    EXPECT_EQ(FormatText("%s!", longText.c_str()).size(), 1001u);
}

} // namespace
