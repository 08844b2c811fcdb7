// Date-time texts, the action period check, timestamps and action identifiers.
#include "core/DateTimeText.h"
#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/Random.h"

#include <gtest/gtest.h>

namespace {

struct CodeCase {
    const char16_t* text;
    int code;
};

TEST(DateTimeText, Formatters) {
    EXPECT_EQ(FormatDateText(2010, 1, 5), u"2010/01/05");
    EXPECT_EQ(FormatTimeText(9, 5, 3), u"09:05:03");
    EXPECT_EQ(FormatHourMinute(0, 7), u"00:07");
    EXPECT_EQ(FormatDateTimeText(2010, 11, 14, 23, 59, 0), u"2010/11/14 23:59:00");
}

TEST(DateTimeText, CheckDigitsAndSignedNumbers) {
    const CodeCase digits[] = {{u"0123456789", 0}, {u"", -101},   {u"12a", -102},
                               {u" 1", -102},      {u"-1", -102}, {u"１", -102}};
    for (const auto& c : digits)
        EXPECT_EQ(CheckDigits(c.text), c.code) << "digits";
    const CodeCase signedNumbers[] = {{u"12", 0},    {u"-12", 0},    {u"+-+3", 0},   {u"", -101},    {u"-", -101},
                                      {u"+-", -101}, {u"1-2", -101}, {u"12+", -101}, {u"1.5", -101}, {u"a1", -101}};
    for (const auto& c : signedNumbers)
        EXPECT_EQ(CheckSignedNumber(c.text), c.code);
}

TEST(DateTimeText, ParseDateText) {
    struct Case {
        const char16_t* text;
        int code, y = 0, m = 0, d = 0;
    } cases[] = {
        {u"2010/11/14", 0, 2010, 11, 14},
        {u"2000/02/29", 0, 2000, 2, 29},
        {u"1900/1/1", 0, 1900, 1, 1},
        {u"2012/2/29", 0, 2012, 2, 29},
        {u"99999/12/31", 0, 99999, 12, 31},
        {u"1900/02/29", -10},
        {u"2100/02/29", -10},
        {u"2011/02/29", -10},
        {u"1899/12/31", -10},
        {u"2010/13/01", -10},
        {u"2010/04/31", -10},
        {u"2010/00/10", -10},
        {u"2010/01/00", -10},
        {u"2010/02/30", -10},
        {u"20101114", -10},
        {u"2010/11", -10},
        {u"2010/11/", -10},
        {u"2010//14", -10},
        {u"2010/11/14/", -10},
        {u"2010/1a/14", -10},
        {u"", -10},
        {u"99999999999999999999/1/1", 0, 2147483647, 1, 1},
    };
    for (const auto& c : cases) {
        int y = -1, m = -1, d = -1;
        EXPECT_EQ(ParseDateText(c.text, y, m, d), c.code);
        if (c.code == 0) {
            EXPECT_EQ(y, c.y);
            EXPECT_EQ(m, c.m);
            EXPECT_EQ(d, c.d);
        }
    }
}

TEST(DateTimeText, TimeParsers) {
    struct Case {
        const char16_t* text;
        int time, end, entry, endOfDay;
    } cases[] = {
        // text          ParseTimeText ParseEndTimeText ParseTimeEntry IsEndOfDayText
        {u"9:5", 0, 0, 0, 1},
        {u"09:05:00", 0, 0, 0, 1},
        {u"23:59:59", 0, 0, 0, 1},
        {u"00:00", 0, 0, 0, 1},
        {u"24:00", -10, -1, -10, 0},
        {u"24:00:00", -10, -1, -10, 0},
        {u"24:00:01", -10, -10, -10, 1},
        {u"24:01", -10, -10, -10, 1},
        {u"25:00", -10, -10, -10, 1},
        {u"12:60", -10, -10, -10, 1},
        {u"12:00:60", -10, -10, -10, 1},
        {u"0930", -10, -10, 0, 1},
        {u"2400", -10, -10, -10, 0},
        {u"1260", -10, -10, -10, 1},
        {u"930", -10, -10, -10, 1},
        {u"12:", -10, -10, -10, 1},
        {u":30", -10, -10, -10, 1},
        {u"1:2:3:4", -10, -10, -10, 1},
        {u"", -10, -10, -10, 1},
        {u"a:00", -10, -10, -10, 1},
        {u"12:00:", -10, -10, -10, 1},
    };
    for (const auto& c : cases) {
        int h = -1, m = -1, s = -1;
        EXPECT_EQ(ParseTimeText(c.text, h, m, s), c.time);
        EXPECT_EQ(ParseEndTimeText(c.text), c.end);
        EXPECT_EQ(ParseTimeEntry(c.text, h, m, s), c.entry);
        EXPECT_EQ(IsEndOfDayText(c.text), c.endOfDay);
    }
    int h, m, s;
    ASSERT_EQ(ParseTimeText(u"9:5", h, m, s), 0);
    EXPECT_EQ(h * 10000 + m * 100 + s, 90500);
    ASSERT_EQ(ParseTimeEntry(u"0930", h, m, s), 0);
    EXPECT_EQ(h * 10000 + m * 100 + s, 93000);
    ASSERT_EQ(ParseTimeEntry(u"7:15:09", h, m, s), 0);
    EXPECT_EQ(h * 10000 + m * 100 + s, 71509);
}

TEST(DateTimeText, StripAndCompare) {
    EXPECT_EQ(StripLineBreaks(u"a\r\nb\rc\nd"), u"abcd");
    EXPECT_EQ(CompareDateTime(u"2010/11/14", u"23:00:00", u"2010/11/15", u"00:00:00"), -1);
    EXPECT_EQ(CompareDateTime(u"2010/11/15", u"00:00:00", u"2010/11/14", u"23:00:00"), 1);
    EXPECT_EQ(CompareDateTime(u"2010/11/14", u"10:00:00", u"2010/11/14", u"09:00:00"), 1);
    EXPECT_EQ(CompareDateTime(u"2010/11/14", u"10:00:00", u"2010/11/14", u"10:00:00"), 0);

    std::u16string date, time;
    EXPECT_EQ(EarlierDateTime(u"2010/11/14", u"10:00:00", u"2010/11/14", u"09:00:00", date, time), 1);
    EXPECT_EQ(time, u"09:00:00");
    EXPECT_EQ(EarlierDateTime(u"2010/11/13", u"10:00:00", u"2010/11/14", u"09:00:00", date, time), 0);
    EXPECT_EQ(date + time, u"2010/11/1310:00:00");
    EXPECT_EQ(LaterDateTime(u"2010/11/13", u"10:00:00", u"2010/11/14", u"09:00:00", date, time), 0);
    EXPECT_EQ(date + time, u"2010/11/1409:00:00");
    EXPECT_EQ(LaterDateTime(u"2010/11/15", u"10:00:00", u"2010/11/14", u"09:00:00", date, time), 1);
    EXPECT_EQ(date, u"2010/11/15");
    // Ties: the earlier takes A, the later takes B (told apart by a different time text of equal rank).
    EXPECT_EQ(EarlierDateTime(u"2010/11/14", u"10:00:00", u"2010/11/14", u"10:00:00", date, time), 0);
    EXPECT_EQ(LaterDateTime(u"2010/11/14", u"10:00:00", u"2010/11/14", u"10:00:00", date, time), 0);
}

TEST(DateTimeText, ValidateActionPeriod) {
    struct Case {
        const char16_t* start;
        const char16_t* end;
        int code;
    } cases[] = {
        {u"2010/11/14 00:00:00", u"2010/11/14 24:00:00", 0},
        {u"2010/11/14 10:00:00", u"2010/11/14 10:00:00", 0},
        {u"2010/11/14 10:00:00", u"2010/11/15 09:00:00", 0},
        {nullptr, u"2010/11/14 10:00:00", -107},
        {nullptr, nullptr, -107},
        {u"2010/11/14 10:00:00", nullptr, -108},
        {u"2010/11/14 10:00", u"2010/11/14 10:00:00", -109},
        {u"2010/11/14 10:00:00", u"2010/11/14 10:00:000", -110},
        {u"2010/02/30 10:00:00", u"2010/11/14 10:00:00", -101},
        {u"2010/11/14 10:00:00", u"1899/11/14 10:00:00", -102},
        {u"2010/11/14 10:00:00", u"2010/11/14 24:00:01", -103},
        {u"2010/11/14 24:00:00", u"2010/11/14 24:00:00", -104},
        {u"2010/11/14 10:00:00", u"2010/11/14 24:00:00", -105},
        {u"2010/11/14 10:00:00", u"2010/11/14 09:59:59", -106},
        {u"2010/11/14 00:00:00", u"2010/11/13 24:00:00", -106},
    };
    for (const auto& c : cases) {
        ActionRecord r;
        if (c.start) r[ActionField::StaDateTime] = c.start;
        if (c.end) r[ActionField::EndDateTime] = c.end;
        EXPECT_EQ(ValidateActionPeriod(r), c.code);
    }
}

TEST(DateTimeText, TimestampFieldsAreRead) {
    Timestamp t;
    ASSERT_EQ(ParseTimestampText(u"  2010/11/14  09:05:03.125  ", t), 0);
    EXPECT_EQ(t.year, 2010);
    EXPECT_EQ(t.month, 11);
    EXPECT_EQ(t.day, 14);
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 3);
    EXPECT_EQ(t.fraction, 125u);
    Timestamp d;
    ASSERT_EQ(ParseTimestampText(u"2010-1.2", d), 0);
    EXPECT_EQ(d.day, 2);
    EXPECT_EQ(d.hour, 0);
    Timestamp h;
    ASSERT_EQ(ParseTimestampText(u"2010/1/2 7", h), 0);
    EXPECT_EQ(h.hour, 7);
    EXPECT_EQ(h.minute, 0);
    // Digit runs longer than the fields wrap instead of overflowing.
    EXPECT_EQ(ParseTimestampText(u"99999999999999999999/1/1", h), 0);
}

TEST(DateTimeText, TimestampCodes) {
    const CodeCase cases[] = {
        {u"2010/11/14", 0},
        {u"2010/11/14 ", 0},
        {u"2010/11/14 09", 0},
        {u"2010/11/14 09:05", 0},
        {u"2010/11/14 09:05:03", 0},
        {u"2010/11/14 09:05:03 ", 0},
        {u"2010/11/14 09:05:03.5", 0},
        {u"2010/11/14 09:05:03.", 0},
        {u"x", -1010},
        {u"2010x", -1011},
        {u"2010/x", -1020},
        {u"2010/11x", -1021},
        {u"2010/11/x", -1030},
        {u"2010/11/14x", -1031},
        {u"2010/11/14 x", -1040},
        {u"2010/11/14 09x", -1041},
        {u"2010/11/14 09 ", -1041},
        {u"2010/11/14 09:x", -1051},
        {u"2010/11/14 09:05x", -1051},
        {u"2010/11/14 09:05:x", -1060},
        {u"2010/11/14 09:05:03x", -1061},
        {u"2010/11/14 09:05:03 x", -1061},
        {u"2010/11/14 09:05:03.x", -1070},
        {u"2010/11/14 09:05:03.5x", -1071},
        {u"2010/11/14 09:05:03.5 x", -1071},
        {u"", -2010},
        {u"   ", -2010},
        {u"2010", -2011},
        {u"2010/", -2020},
        {u"2010/11", -2021},
        {u"2010/11/", -2030},
        {u"2010/11/14 09:", -2050},
        {u"2010/11/14 09:05:", -2060},
    };
    for (const auto& c : cases) {
        Timestamp t;
        EXPECT_EQ(ParseTimestampText(c.text, t), c.code);
    }
}

TEST(ActionId, FormatCheckAndMake) {
    EXPECT_EQ(FormatActionId(2010, 11, 14, 9, 5, 3, 7), u"ID2010111409050307");
    EXPECT_EQ(FormatActionId(0, 0, 0, 0, 0, 0, 0), u"ID0000000000000000");
    EXPECT_EQ(FormatActionId(9999, 99, 99, 99, 99, 99, 99), u"ID9999999999999999");
    EXPECT_EQ(FormatActionId(1, 2, 3, 4, 5, 6, 8), u"ID0001020304050608");
    // Values beyond their digits widen the text as the C library's formatting does.
    EXPECT_EQ(FormatActionId(10000, 1, 1, 0, 0, 0, 0), u"ID10000010100000000");
    EXPECT_EQ(FormatActionId(2010, 1, 1, 0, 0, 0, 100), u"ID20100101000000100");
    EXPECT_EQ(FormatActionId(-1, 1, 1, 0, 0, 0, 0), u"ID-001010100000000");
    const CodeCase cases[] = {{u"ID2010111409050307", 0},
                              {u"IDxxxxxxxxxxxxxxxx", 0},
                              {u"id2010111409050307", -2},
                              {u"ID201011140905030", -1},
                              {u"", -1},
                              {u"ID20101114090503077", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(CheckActionId(c.text), c.code);

    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SeedRandom(7);
    bool seen[100] = {};
    for (int i = 0; i < 5000; ++i) {
        auto id = MakeActionId();
        ASSERT_TRUE(id);
        ASSERT_EQ(CheckActionId(*id), 0);
        ASSERT_EQ(id->substr(0, 16), u"ID20101114090503");
        int n = ((*id)[16] - u'0') * 10 + ((*id)[17] - u'0');
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 99);
        seen[n] = true;
    }
    int distinct = 0;
    for (bool s : seen)
        distinct += s;
    EXPECT_GT(distinct, 90);
    // The scale: generator value r becomes r * 100 / 32768.
    SeedRandom(1); // first value 41 → 0
    EXPECT_EQ(MakeActionId()->substr(16), u"00");
    SeedRandom(1);
    NextRandom();
    NextRandom(); // third value 6334 → 19
    EXPECT_EQ(MakeActionId()->substr(16), u"19");
    SetClockSource({});
}

} // namespace
