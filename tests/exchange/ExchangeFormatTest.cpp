// Lines of the three exchange layouts: splitting, reading with its checks, writing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/Random.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ImportIdentifiers.h"
#include "store/BulkInsert.h"

using namespace ActionField;

namespace {

std::u16string U(const char* utf8) {
    return FromUtf8(utf8);
}

ActionRecord Parsed(ExchangeLayout layout, const char* line, LineCheck* check = nullptr) {
    ActionRecord record;
    LineCheck result = ParseExchangeLine(layout, U(line), record);
    if (check) *check = result;
    EXPECT_TRUE(check || result) << line;
    return record;
}

} // namespace

TEST(ExchangeSplit, CutsAtTabsUpToTheLayoutsFieldCount) {
    struct Case {
        const char* line;
        size_t max;
        std::vector<const char*> fields;
    } cases[] = {
        {"", 8, {""}},
        {"a", 8, {"a"}},
        {"a\tb", 8, {"a", "b"}},
        {"a\t\tc\t", 8, {"a", "", "c", ""}},
        // The last field ends at the next tab; the rest of the line is dropped.
        {"1\t2\t3\t4", 3, {"1", "2", "3"}},
        {"1\t2\t3\t", 3, {"1", "2", "3"}},
        {"1,2;3 4", 8, {"1,2;3 4"}}, // commas and blanks are data, whatever the file is called
    };
    for (const Case& c : cases) {
        const std::u16string line = U(c.line); // the fields are views into it
        auto fields = SplitExchangeLine(line, c.max);
        ASSERT_EQ(fields.size(), c.fields.size()) << c.line;
        for (size_t i = 0; i < fields.size(); ++i)
            EXPECT_EQ(std::u16string(fields[i]), U(c.fields[i])) << c.line << " field " << i;
    }
}

TEST(ExchangeParse, RefusesLinesWithTheirFaultAndCode) {
    const char* good3 = "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t";
    struct Case {
        ExchangeLayout layout;
        std::string line;
        LineFault fault;
        int code;
    } cases[] = {
        // Fewest fields: Ver.1 6, Ver.2 7, Ver.3 5.
        {ExchangeLayout::Ver1, "2010/11/14\t09:00\t2010/11/14\t10:00\tplace", LineFault::TooFewFields, 0},
        {ExchangeLayout::Ver1, "2010/11/14\t09:00\t2010/11/14\t10:00\tplace\tc1", LineFault::None, 0},
        {ExchangeLayout::Ver2, "ID2010111409050300\t2010/11/14\t09:00:00\t2010/11/14\t10:00:00\tp",
         LineFault::TooFewFields, 0},
        {ExchangeLayout::Ver2, "ID2010111409050300\t2010/11/14\t09:00:00\t2010/11/14\t10:00:00\tp\tc", LineFault::None,
         0},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00",
         LineFault::TooFewFields, 0},
        {ExchangeLayout::Ver3, good3, LineFault::None, 0},
        {ExchangeLayout::Ver3, "just one field", LineFault::TooFewFields, 0},
        // Period codes in the order they are checked.
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 9:00:00\t2010/11/14 10:00:00\t", LineFault::BadPeriod,
         -109},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 10:0:00\t", LineFault::BadPeriod,
         -110},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/13/14 09:00:00\t2010/11/14 10:00:00\t", LineFault::BadPeriod,
         -101},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/02/30 10:00:00\t", LineFault::BadPeriod,
         -102},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 24:00:01\t", LineFault::BadPeriod,
         -103},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 09:60:00\t2010/11/14 10:00:00\t", LineFault::BadPeriod,
         -104},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 10:00:00\t2010/11/14 24:00:00\t", LineFault::BadPeriod,
         -105},
        {ExchangeLayout::Ver3, "ID2010111409050300\t\t2010/11/14 10:00:00\t2010/11/14 09:59:59\t", LineFault::BadPeriod,
         -106},
        {ExchangeLayout::Ver1, "2010/11/14\t10:00\t2010/11/14\t09:59\tp\tc", LineFault::BadPeriod, -106},
        {ExchangeLayout::Ver1, "2010/11/14\t9:05\t2010/11/14\t10:00\tp\tc", LineFault::BadPeriod, -109},
        // Identifier codes (Ver.2 and Ver.3 only; the period is checked first).
        {ExchangeLayout::Ver3, "ID201011140905030\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t",
         LineFault::BadIdentifier, -1},
        {ExchangeLayout::Ver3, "id2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t",
         LineFault::BadIdentifier, -2},
        {ExchangeLayout::Ver2, "\t2010/11/14\t09:00:00\t2010/11/14\t10:00:00\tp\tc", LineFault::BadIdentifier, -1},
        {ExchangeLayout::Ver2, "XX2010111409050300\t2010/11/14\t10:00:00\t2010/11/14\t09:00:00\tp\tc",
         LineFault::BadPeriod, -106},
    };
    int n = 0;
    for (const Case& c : cases) {
        ActionRecord record;
        LineCheck check = ParseExchangeLine(c.layout, U(c.line.c_str()), record);
        EXPECT_EQ(check.fault, c.fault) << "case " << n;
        EXPECT_EQ(check.code, c.code) << "case " << n;
        ++n;
    }
}

TEST(ExchangeParse, MessagesNameTheLineAndCode) {
    EXPECT_EQ(LineFaultMessage(3, {LineFault::TooFewFields, 0}),
              u"3 行目には開始または終了日時がありません。\nインポートを中止します。");
    EXPECT_EQ(LineFaultMessage(12, {LineFault::BadPeriod, -106}),
              u"12 行目の値が不正です。(-106)\nインポートを中止します。");
    EXPECT_EQ(LineFaultMessage(1, {LineFault::BadIdentifier, -2}),
              u"1 行目のアクションIDの値が不正です。(-2)\nインポートを中止します。");
}

TEST(ExchangeParse, Ver1BuildsSecondsAndLeavesOutWhatItDoesNotCarry) {
    ActionRecord r = Parsed(ExchangeLayout::Ver1, "2010/11/14\t00:00\t2010/11/14\t24:00\t場所\tc1\tc2\tmemo\textra");
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 00:00:00");
    EXPECT_EQ(r[EndDateTime], u"2010/11/14 24:00:00"); // a whole day passes the period check
    EXPECT_FALSE(r[ActId]);
    EXPECT_FALSE(r[LastUpdate]);
    EXPECT_EQ(r[Subject], u"");
    EXPECT_FALSE(r[Latitude]);
    EXPECT_FALSE(r[Longitude]);
    EXPECT_FALSE(r[ExtItems]);
    EXPECT_EQ(r[Place], u"場所");
    EXPECT_EQ(r[Category2], u"c2");
    EXPECT_EQ(r[Memo], u"memo");

    r = Parsed(ExchangeLayout::Ver1, "2010/11/14\t09:05\t2010/11/14\t10:00\tp\tc1");
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 09:05:00");
    EXPECT_EQ(r[Category2], u""); // missing trailing fields are empty texts
    EXPECT_EQ(r[Memo], u"");
}

TEST(ExchangeParse, Ver2TakesTheIdentifierAndFullTimes) {
    ActionRecord r =
        Parsed(ExchangeLayout::Ver2, "ID2010111409050307\t2010/11/14\t09:05:30\t2010/11/14\t10:00:00\tp\tc1\tc2\tm");
    EXPECT_EQ(r[ActId], u"ID2010111409050307");
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 09:05:30");
    EXPECT_EQ(r[EndDateTime], u"2010/11/14 10:00:00");
    EXPECT_EQ(r[Subject], u"");
    EXPECT_EQ(r[Memo], u"m");
}

TEST(ExchangeParse, Ver3ReadsEveryFieldAndIgnoresLastUpdate) {
    ActionRecord r = Parsed(ExchangeLayout::Ver3, "ID2010111409050307\t1999/01/01 00:00:00\t2010/11/14 09:00:00\t"
                                                  "2010/11/14 10:00:00\t35.5\t-139.75\t件名\t場所\tc1\tc2\t\"m\"\t"
                                                  "x:int:\"X\":1:\ttrailing");
    EXPECT_EQ(r[ActId], u"ID2010111409050307");
    EXPECT_FALSE(r[LastUpdate]);
    EXPECT_EQ(r[Latitude], u"35.5");
    EXPECT_EQ(r[Longitude], u"-139.75");
    EXPECT_EQ(r[Subject], u"件名");
    EXPECT_EQ(r[Place], u"場所");
    EXPECT_EQ(r[Category1], u"c1");
    EXPECT_EQ(r[Category2], u"c2");
    EXPECT_EQ(r[Memo], u"m");
    EXPECT_EQ(r[ExtItems], u"x:int:\"X\":1:");
}

TEST(ExchangeParse, CoordinatesReadTheirLeadingNumber) {
    struct Case {
        const char* field;
        std::optional<const char*> value;
    } cases[] = {
        {"35.681236", "35.681236"},
        {"-139.5", "-139.5"},
        {"+1", "+1"},
        {".5", ".5"},
        {"7.", "7."},
        {"35abc", "35"},
        {"35.5.6", "35.5"},
        {"1e2", "1e2"},
        {"1e", "1"},
        {" 12", "12"},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"1e999", std::nullopt}, // beyond a double: no position
    };
    for (const Case& c : cases) {
        OptText read = ReadCoordinateField(U(c.field));
        if (c.value)
            EXPECT_EQ(read, U(*c.value)) << c.field;
        else
            EXPECT_FALSE(read) << c.field;
    }
    ActionRecord r =
        Parsed(ExchangeLayout::Ver3, "ID2010111409050307\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\tN35");
    EXPECT_FALSE(r[Latitude]);
    EXPECT_FALSE(r[Longitude]); // a missing field is no position either
}

TEST(ExchangeMemo, QuotesEscapesAndReadsBack) {
    struct Case {
        std::u16string memo;
        std::u16string field;
    } cases[] = {
        {u"", u"\"\""},
        {u"a\r\nb", u"\"a\\r\\nb\""},
        {u"\\ \" ' \t", u"\"\\\\ \\\" \\' \\t\""},
        {std::u16string(u"x\x01y\x1f", 4), u"\"x\\x0001y\\x001f\""},
        {u"日本語", u"\"日本語\""},
        {u"end\\", u"\"end\\\\\""},
        {u"\"", u"\"\\\"\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteMemo(c.memo), c.field);
        EXPECT_EQ(UnquoteMemo(c.field), c.memo);
    }
    EXPECT_EQ(QuoteMemo(std::nullopt), u"\"\"");
}

TEST(ExchangeMemo, FieldsFromOtherWritersAreReadAsDocumented) {
    struct Case {
        const char16_t* field;
        const char16_t* memo;
    } cases[] = {
        {u"plain \\n text", u"plain \\n text"}, // not quoted: taken as is
        {u"\"", u""},                           // too short to hold anything
        {u"\"open", u"open"},                   // no closing quote
        {u"\"a\\qb\"", u"ab"},                  // an unknown escape drops both characters
        {u"\"\\x41-\"", u"A-"},
        {u"\"\\x41B\"", u"\x41B"},
        {u"\"x\\\"", u"x"}, // the closing quote was escaped: the last quote still goes, the lone backslash too
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnquoteMemo(c.field), c.memo) << ToUtf8(c.field);
    ActionRecord r = Parsed(ExchangeLayout::Ver3,
                            "ID2010111409050307\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t\t\t\t\t\t\ta\\tb\"");
    EXPECT_EQ(r[Memo], u"a\\tb\"");
}

TEST(ExchangeWrite, EachLayoutWritesItsFields) {
    ActionRecord r;
    r[ActId] = u"ID2010111409050307";
    r[LastUpdate] = u"2010/11/15 08:00:00";
    r[StaDateTime] = u"2010/11/14 09:05:30";
    r[EndDateTime] = u"2010/11/14 24:00:00";
    r[Latitude] = u"35.500000";
    r[Subject] = u"件名";
    r[Place] = u"場所";
    r[Category1] = u"c1";
    r[Memo] = u"a\r\nb";
    EXPECT_EQ(FormatExchangeLine(ExchangeLayout::Ver1, r), u"2010/11/14\t09:05\t2010/11/14\t24:00\t場所\tc1\t\tab");
    EXPECT_EQ(FormatExchangeLine(ExchangeLayout::Ver2, r),
              u"ID2010111409050307\t2010/11/14\t09:05:30\t2010/11/14\t24:00:00\t場所\tc1\t\tab");
    EXPECT_EQ(FormatExchangeLine(ExchangeLayout::Ver3, r),
              u"ID2010111409050307\t2010/11/15 08:00:00\t2010/11/14 09:05:30\t2010/11/14 24:00:00\t35.500000\t\t件名\t"
              u"場所\tc1\t\t\"a\\r\\nb\"\t");
    // An export appends line after line to one buffer: each line starts without a tab.
    for (ExchangeLayout layout : {ExchangeLayout::Ver1, ExchangeLayout::Ver2, ExchangeLayout::Ver3}) {
        std::u16string buffer = u"before\r\n";
        AppendExchangeLine(layout, r, buffer);
        EXPECT_EQ(buffer, u"before\r\n" + FormatExchangeLine(layout, r));
    }
    EXPECT_EQ(Ver3HeaderLine(), u"ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                                u"Category1\tCategory2\tMemo\tExtItems");
}

TEST(ExchangeWrite, PlainFieldsCannotBreakTheLine) {
    ActionRecord r;
    r[ActId] = u"ID2010111409050307";
    r[StaDateTime] = u"2010/11/14 09:00:00";
    r[EndDateTime] = u"2010/11/14 10:00:00";
    r[Subject] = u"a\tb";
    r[Place] = u"x\r\ny";
    r[Memo] = u"m\tn";
    for (ExchangeLayout layout : {ExchangeLayout::Ver1, ExchangeLayout::Ver2, ExchangeLayout::Ver3}) {
        std::u16string line = FormatExchangeLine(layout, r);
        EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
        auto fields = SplitExchangeLine(line, 100);
        EXPECT_EQ(fields.size(), LayoutFieldCount(layout));
        ActionRecord back;
        ASSERT_TRUE(ParseExchangeLine(layout, line, back));
        EXPECT_EQ(back[Place], u"xy");
        if (layout == ExchangeLayout::Ver3) {
            EXPECT_EQ(back[Subject], u"a b");
            EXPECT_EQ(back[Memo], u"m\tn"); // the quoted memo keeps its tab
        } else {
            EXPECT_EQ(back[Memo], u"m n");
        }
    }
}

TEST(BulkInsertNumbers, ReadAsStrtodReadsThem) {
    std::vector<std::string> texts = {"35.5",
                                      "-0",
                                      "0",
                                      "+3.25",
                                      ".5",
                                      "5.",
                                      "-.125",
                                      "139.999999999999",
                                      "999999999999999",
                                      "1234567890123456",
                                      "0.000000000000001",
                                      "1.7976931348623157",
                                      "90.000001",
                                      "-179.123456",
                                      "1e3",
                                      "12a",
                                      ""};
    SeedRandom(3);
    for (int i = 0; i < 20000; ++i) { // random coordinates with up to nine decimals
        std::string t = std::to_string(NextRandom() % 360 - 180) + "." +
                        std::to_string(static_cast<long long>(NextRandom()) * 32768 + NextRandom());
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        double want = std::strtod(t.c_str(), nullptr), got = ReadDecimalNumber(t);
        EXPECT_EQ(std::memcmp(&want, &got, sizeof want), 0) << t; // bit for bit, the sign of zero too
    }
}

TEST(ImportIdentifierWalk, StepsThroughNumbersThenSeconds) {
    struct Case {
        const char16_t* id;
        const char16_t* next;
    } cases[] = {
        {u"ID2010111409050307", u"ID2010111409050308"},
        {u"ID2010111409050399", u"ID2010111409050400"},
        {u"ID2010111409595999", u"ID2010111410000000"},
        {u"ID2010022823595999", u"ID2010030100000000"},
        {u"ID2012022823595999", u"ID2012022900000000"},
        {u"ID2010123123595999", u"ID2011010100000000"},
        {u"ID20101114090503", u""},
        {u"XX2010111409050307", u""},
        {u"ID2010111409050x07", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FollowingActionId(c.id), c.next) << ToUtf8(c.id);
}
