// Reading extended items texts (codes, positions, kept and dropped items) and writing
// them back, including round trips of awkward values.
#include "edit/ExtItemText.h"

#include "core/Trace.h"
#include "core/Utf.h"

#include <gtest/gtest.h>

namespace {

// The list as "name|display|type|value" entries joined by "; ", in list order.
std::string Describe(const ExtItemList& list) {
    std::string out;
    for (const ExtItem& item : list) {
        if (!out.empty()) out += "; ";
        out +=
            ToUtf8(item.name) + "|" + ToUtf8(item.displayName) + "|" + ToUtf8(item.typeName) + "|" + ToUtf8(item.value);
    }
    return out;
}

struct ReadCase {
    const char* text;
    int rc;
    const char* trace; // where reading stopped: "Loop Out:<position>:ST:<state>"
    const char* items;
};

class ParseValueTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParseValueTest, ReadsItemsAndStopsWhereTheTextBreaks) {
    const ReadCase& c = GetParam();
    ExtItemList list;
    EXPECT_EQ(ParseValue(FromUtf8(c.text), list), c.rc) << c.text;
    EXPECT_EQ(ToUtf8(TraceBuffer()), c.trace) << c.text;
    EXPECT_EQ(Describe(list), c.items) << c.text;
}

// Well-formed texts, blanks, order, duplicates and values that fail their grammar.
INSTANTIATE_TEST_SUITE_P(
    Reading, ParseValueTest,
    ::testing::Values(
        ReadCase{"", 0, "Loop Out:000:ST:100", ""}, ReadCase{"   ", 0, "Loop Out:003:ST:100", ""},
        ReadCase{"w:体重:float:65.5:", 0, "Loop Out:016:ST:100", "w|体重|float|65.5"},
        ReadCase{"b:y:int:2:a:x:int:1:", 0, "Loop Out:020:ST:100", "a|x|int|1; b|y|int|2"},
        ReadCase{"a:x:int:1:a:y:int:2:", 0, "Loop Out:020:ST:100", "a|x|int|1"},
        ReadCase{" a : x : string : \"v\" : ", 0, "Loop Out:024:ST:100", "a|x|string|v"},
        ReadCase{"a:x:int junk:1:", 0, "Loop Out:015:ST:100", "a|x|int|1"},
        ReadCase{"a:x:string:\"p:q\":", 0, "Loop Out:017:ST:100", "a|x|string|p:q"},
        ReadCase{"a:x:float:-.5:b:y:float:1e+5:", 0, "Loop Out:029:ST:100", "a|x|float|-.5; b|y|float|1e+5"},
        // A value that reads but fails its grammar drops its item only.
        ReadCase{"a:x:int:5 :b:y:int:2:", 0, "Loop Out:021:ST:100", "b|y|int|2"},
        ReadCase{"a:x:int::b:y:int:2:", 0, "Loop Out:019:ST:100", "b|y|int|2"},
        ReadCase{"a:x:float:1e5:b:y:int:2:", 0, "Loop Out:024:ST:100", "b|y|int|2"},
        ReadCase{"a:x:date:\"2010-11-14\":b:y:date:\"2010/11/14\":", 0, "Loop Out:044:ST:100", "b|y|date|2010/11/14"},
        ReadCase{"a:x:File:\"a.txt\":b:y:File:\"\\\\CF\\\\a.txt\":c:z:File:\"/h/a\":", 0, "Loop Out:056:ST:100",
                 "b|y|File|\\CF\\a.txt; c|z|File|/h/a"},
        ReadCase{"t:x:time:\"9 : 05:00\":d:y:datetime:\"2010.1.2 3:4:5\":", 0, "Loop Out:051:ST:100",
                 "d|y|datetime|2010.1.2 3:4:5; t|x|time|9 : 05:00"},
        ReadCase{"a:x:string:\"\\x41\\x3042z\\x7g\":", 0, "Loop Out:029:ST:100", "a|x|string|Aあz\x07g"}));

// Every failure code, where it stops, and the items completed before it.
INSTANTIATE_TEST_SUITE_P(
    Failures, ParseValueTest,
    ::testing::Values(ReadCase{"1a:x:int:1:", -100, "Loop Out:000:ST:100", ""},
                      ReadCase{"a-b:x:int:1:", -110, "Loop Out:001:ST:110", ""},
                      ReadCase{"ab c:x:int:1:", -120, "Loop Out:003:ST:120", ""},
                      ReadCase{"a: :int:1:", -200, "Loop Out:003:ST:200", ""},
                      ReadCase{"a:x-y:int:1:", -210, "Loop Out:003:ST:210", ""},
                      ReadCase{"a:x y:int:1:", -220, "Loop Out:004:ST:220", ""},
                      ReadCase{"a:x:1nt:1:", -300, "Loop Out:004:ST:300", ""},
                      ReadCase{"a:x:in-t:1:", -310, "Loop Out:006:ST:310", ""},
                      ReadCase{"a:x:int ", -320, "Loop Out:008:ST:320", ""},
                      ReadCase{"a:x:real:1:", -400, "Loop Out:009:ST:400", ""},
                      ReadCase{"a:x:Int:1:", -400, "Loop Out:008:ST:400", ""},
                      ReadCase{"a:x:int:1", -500, "Loop Out:009:ST:500", ""},
                      ReadCase{"a:x:string:abc:", -600, "Loop Out:011:ST:600", ""},
                      ReadCase{"a:x:string:\"a\tb\":", -610, "Loop Out:013:ST:610", ""},
                      ReadCase{"a:x:string:\"aéb\":", -610, "Loop Out:013:ST:610", ""},
                      ReadCase{"a:x:string:\"ab", -610, "Loop Out:014:ST:610", ""},
                      ReadCase{"a:x:string:\"a\\qb\":", -620, "Loop Out:014:ST:620", ""},
                      ReadCase{"a:x:string:\"a\\x12", -630, "Loop Out:017:ST:630", ""},
                      ReadCase{"a:x:string:\"v\"x", -10100, "Loop Out:014:ST:10100", ""},
                      // The value was read; only the final ":" is missing, so the item stays.
                      ReadCase{"a:x:string:\"v\"", -100001, "Loop Out:014:ST:10100", "a|x|string|v"},
                      ReadCase{"a:x:int:1:b:y:int:2:c", -110, "Loop Out:021:ST:110", "a|x|int|1; b|y|int|2"},
                      ReadCase{"a:x:int:1:b:", -200, "Loop Out:012:ST:200", "a|x|int|1"}));

struct WriteCase {
    ExtItem item;
    const char16_t* text;
};

class WriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, WritesTheFourFields) {
    ExtItemList list;
    list.Insert(GetParam().item);
    EXPECT_EQ(FormatExtItemsText(list), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Writing, WriteTest,
                         ::testing::Values(WriteCase{{u"w", u"体重", u"float", u"65.5"}, u"w:体重:float:65.5:"},
                                           WriteCase{{u"n", u"x", u"int", u""}, u"n:x:int::"},
                                           WriteCase{{u"s", u"x", u"string", u"a\"b\\c'd\te\nf\rg"},
                                                     u"s:x:string:\"a\\\"b\\\\c\\'d\\te\\nf\\rg\":"},
                                           WriteCase{{u"s", u"x", u"string",
                                                      u"\x01"
                                                      u"é\U0001F600"},
                                                     u"s:x:string:\"\\x0001\\x00e9\\xd83d\\xde00\":"},
                                           // An empty quoted value is written as "" so that reading goes on past it.
                                           WriteCase{{u"s", u"x", u"mlstring", u""}, u"s:x:mlstring:\"\":"},
                                           WriteCase{{u"u", u"x", u"blob", u"zz"}, u"u:x:blob::"}));

TEST(ExtItemListTest, AnEmptyListIsTheEmptyText) {
    EXPECT_EQ(FormatExtItemsText(ExtItemList{}), u"");
}

TEST(ExtItemListTest, KeepsCodeUnitOrderAndTheFirstOfAName) {
    ExtItemList list;
    EXPECT_TRUE(list.Insert({u"b", u"1", u"int", u"1"}));
    EXPECT_TRUE(list.Insert({u"B", u"2", u"int", u"2"}));
    EXPECT_TRUE(list.Insert({u"a_1", u"3", u"int", u"3"}));
    EXPECT_TRUE(list.Insert({u"a", u"4", u"int", u"4"}));
    EXPECT_FALSE(list.Insert({u"b", u"5", u"int", u"5"}));
    EXPECT_EQ(FormatExtItemsText(list), u"B:2:int:2:a:4:int:4:a_1:3:int:3:b:1:int:1:");
    ASSERT_NE(list.Find(u"b"), nullptr);
    EXPECT_EQ(list.Find(u"b")->displayName, u"1");
    EXPECT_EQ(list.Find(u"c"), nullptr);
}

// Lists written and read again come back equal, in name order.
TEST(ExtItemRoundTripTest, EveryWrittenListReadsBackWhole) {
    const std::u16string awkward[] = {
        u"",
        u"plain text",
        u"\"quoted\" and 'single'",
        u"back\\slash \\\\ and \\x41",
        u"tab\tline\nreturn\r\n",
        u"colons : and # and {braces}",
        u"accents éàü and ©",
        u"controls \x01\x1f\x7f",
        u"surrogates \U0001F600 and a lone \xD800 one",
        u"kana かな カナ and 漢字 and ｶﾅ",
        u"\xFFFF\xFFEF\x303E\x3040",
    };
    ExtItemList list;
    int n = 0;
    for (const std::u16string& value : awkward) {
        std::u16string name = u"z" + FormatText("%02d", 20 - n);
        const char16_t* type = n % 2 ? u"string" : u"mlstring";
        list.Insert({name, u"名前_" + FormatText("%d", n), type, value});
        ++n;
    }
    list.Insert({u"f", u"f", u"File", u"\\My Documents\\a b.txt"});
    list.Insert({u"d", u"d", u"datetime", u"2010/11/14 09:05:03"});
    list.Insert({u"i", u"i", u"int", u"-12"});
    list.Insert({u"g", u"g", u"float", u"-1.5e-3"});

    std::u16string text = FormatExtItemsText(list);
    ExtItemList back;
    EXPECT_EQ(ParseValue(text, back), 0);
    EXPECT_EQ(back, list);
    EXPECT_EQ(FormatExtItemsText(back), text);
}

TEST(ExtItemRoundTripTest, ReadingSortsAndWritingKeepsTheOrder) {
    ExtItemList list;
    ASSERT_EQ(ParseValue(u"zz:z:int:1: mm : m : string : \"x\" :aa:a:time:\"1:2:3\":", list), 0);
    EXPECT_EQ(FormatExtItemsText(list), u"aa:a:time:\"1:2:3\":mm:m:string:\"x\":zz:z:int:1:");
}

TEST(ExtItemRoundTripTest, AnIntWrittenWithoutValueIsLostOnlyItself) {
    ExtItemList list;
    list.Insert({u"a", u"a", u"int", u""});
    list.Insert({u"b", u"b", u"string", u""});
    list.Insert({u"c", u"c", u"int", u"3"});
    ExtItemList back;
    EXPECT_EQ(ParseValue(FormatExtItemsText(list), back), 0);
    EXPECT_EQ(Describe(back), "b|b|string|; c|c|int|3");
}

} // namespace
