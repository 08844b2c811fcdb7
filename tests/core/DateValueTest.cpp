// OLE Automation dates, spans, day comparison and cutting periods into days.
#include "core/DateValue.h"

#include <gtest/gtest.h>

namespace {

struct Fields {
    int y, m, d, h, mi, s;
};

Fields FieldsOf(const DateValue& v) {
    Fields f{-1, -1, -1, -1, -1, -1};
    EXPECT_TRUE(v.ToFields(f.y, f.m, f.d, f.h, f.mi, f.s));
    return f;
}

std::string Text(const DateValue& v) {
    Fields f = FieldsOf(v);
    char buf[40];
    snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", f.y, f.m, f.d, f.h, f.mi, f.s);
    return buf;
}

TEST(DateValue, KnownOleValues) {
    struct Case {
        Fields f;
        double ole;
        int weekday;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0, 6},       {{1899, 12, 31, 0, 0, 0}, 1.0, 0},
        {{1900, 1, 1, 0, 0, 0}, 2.0, 1},         {{1899, 12, 29, 6, 0, 0}, -1.25, 5},
        {{1899, 12, 30, 12, 0, 0}, 0.5, 6},      {{2010, 11, 14, 0, 0, 0}, 40496.0, 0},
        {{2010, 11, 14, 18, 0, 0}, 40496.75, 0}, {{2000, 2, 29, 0, 0, 0}, 36585.0, 2},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0, 5}, {{100, 1, 1, 0, 0, 0}, -657434.0, 5},
    };
    for (const auto& c : cases) {
        DateValue v = DateValue::FromFields(c.f.y, c.f.m, c.f.d, c.f.h, c.f.mi, c.f.s);
        ASSERT_TRUE(v.valid) << c.ole;
        EXPECT_DOUBLE_EQ(v.value, c.ole);
        EXPECT_EQ(v.Weekday(), c.weekday) << c.ole;
        Fields back = FieldsOf(v);
        EXPECT_EQ(back.y * 10000 + back.m * 100 + back.d, c.f.y * 10000 + c.f.m * 100 + c.f.d);
        EXPECT_EQ(back.h * 10000 + back.mi * 100 + back.s, c.f.h * 10000 + c.f.mi * 100 + c.f.s);
    }
}

TEST(DateValue, EverySecondOfADayRoundTrips) {
    for (int t = 0; t < 86400; t += 7) {
        int h = t / 3600, m = t / 60 % 60, s = t % 60;
        DateValue v = DateValue::FromFields(2010, 11, 14, h, m, s);
        ASSERT_TRUE(v.valid);
        Fields f = FieldsOf(v);
        ASSERT_EQ(f.h * 3600 + f.mi * 60 + f.s, t);
        ASSERT_EQ(f.d, 14);
    }
}

TEST(DateValue, InvalidFields) {
    const Fields cases[] = {{2010, 2, 30, 0, 0, 0}, {2010, 4, 31, 0, 0, 0}, {2011, 2, 29, 0, 0, 0},
                            {1900, 2, 29, 0, 0, 0}, {2010, 13, 1, 0, 0, 0}, {2010, 0, 1, 0, 0, 0},
                            {2010, 1, 0, 0, 0, 0},  {2010, 1, 1, 24, 0, 0}, {2010, 1, 1, 0, 60, 0},
                            {2010, 1, 1, 0, 0, 60}, {2010, 1, 1, -1, 0, 0}, {99, 12, 31, 0, 0, 0},
                            {10000, 1, 1, 0, 0, 0}};
    for (const auto& f : cases) {
        DateValue v = DateValue::FromFields(f.y, f.m, f.d, f.h, f.mi, f.s);
        EXPECT_FALSE(v.valid) << f.y << "/" << f.m << "/" << f.d;
        int y, m, d;
        EXPECT_FALSE(v.ToDate(y, m, d));
        EXPECT_EQ(v.Weekday(), -1);
    }
}

TEST(DateValue, SpansAndArithmetic) {
    EXPECT_DOUBLE_EQ(DateSpan::FromParts(1, 12, 0, 0).days, 1.5);
    EXPECT_DOUBLE_EQ(DateSpan::FromParts(0, 0, 1, 30).days, 90.0 / 86400);
    EXPECT_TRUE(DateSpan::FromParts(3615897, 0, 0, 0).valid);
    EXPECT_TRUE(DateSpan::FromParts(-3615897, 0, 0, 0).valid);
    EXPECT_FALSE(DateSpan::FromParts(3615897, 1, 0, 0).valid);
    EXPECT_FALSE(DateSpan::FromParts(-3615898, 0, 0, 0).valid);

    DateValue v = DateValue::FromFields(2010, 12, 31, 23, 0, 0);
    EXPECT_EQ(Text(v + DateSpan::FromParts(0, 1, 0, 0)), "2011/01/01 00:00:00");
    EXPECT_EQ(Text(v - DateSpan::FromParts(365, 0, 0, 0)), "2009/12/31 23:00:00");
    EXPECT_EQ(Text(DateValue::FromFields(2000, 2, 28) + DateSpan::FromParts(1, 0, 0, 0)), "2000/02/29 00:00:00");
    // Across the OLE zero, where the time of day is counted without the sign.
    DateValue before = DateValue::FromFields(1899, 12, 29, 18, 0, 0);
    EXPECT_DOUBLE_EQ(before.value, -1.75);
    EXPECT_EQ(Text(before + DateSpan::FromParts(0, 12, 0, 0)), "1899/12/30 06:00:00");
    EXPECT_EQ(Text(DateValue::FromFields(1899, 12, 30, 6, 0, 0) - DateSpan::FromParts(0, 12, 0, 0)),
              "1899/12/29 18:00:00");
    EXPECT_FALSE((DateValue::FromFields(9999, 12, 31) + DateSpan::FromParts(1, 0, 0, 0)).valid);
    EXPECT_FALSE((v + DateSpan::FromParts(4000000, 0, 0, 0)).valid);
    EXPECT_FALSE((DateValue{} + DateSpan::FromParts(1, 0, 0, 0)).valid);
}

TEST(DateValue, ComparisonsAndDays) {
    DateValue a = DateValue::FromFields(1899, 12, 29, 18, 0, 0); // -1.75
    DateValue b = DateValue::FromFields(1899, 12, 29, 6, 0, 0);  // -1.25
    DateValue c = DateValue::FromFields(2010, 11, 14, 23, 59, 59);
    DateValue d = DateValue::FromFields(2010, 11, 14, 0, 0, 0);
    DateValue bad;
    EXPECT_TRUE(b < a); // -1.25 is the earlier moment
    EXPECT_TRUE(a > b && a >= b && b <= a && a == a);
    EXPECT_TRUE(d < c);
    EXPECT_FALSE(bad < c || c < bad || bad == bad || bad <= c || c >= bad || bad > c);
    EXPECT_EQ(CompareDay(c, d), 0);
    EXPECT_EQ(CompareDay(a, b), 0);
    EXPECT_EQ(CompareDay(b, d), -1);
    EXPECT_EQ(CompareDay(c, DateValue::FromFields(2010, 11, 15)), -1);
    EXPECT_EQ(CompareDay(DateValue::FromFields(2010, 11, 15), c), 1);
    EXPECT_EQ(CompareDay(bad, c), -1);
}

TEST(DateValue, SplitPeriodIntoDays) {
    std::vector<DayPiece> pieces;
    ASSERT_EQ(SplitPeriodIntoDays(DateValue::FromFields(2010, 11, 13, 22, 0, 0),
                                  DateValue::FromFields(2010, 11, 15, 1, 30, 0), pieces),
              0);
    ASSERT_EQ(pieces.size(), 3u);
    const char* expected[3][2] = {{"2010/11/13 22:00:00", "2010/11/13 23:59:59"},
                                  {"2010/11/14 00:00:00", "2010/11/14 23:59:59"},
                                  {"2010/11/15 00:00:00", "2010/11/15 01:30:00"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Text(pieces[i].start), expected[i][0]);
        EXPECT_EQ(Text(pieces[i].end), expected[i][1]);
    }
    DateValue t = DateValue::FromFields(2010, 11, 14, 10, 0, 0);
    ASSERT_EQ(SplitPeriodIntoDays(t, t, pieces), 0);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_TRUE(pieces[0].start == t && pieces[0].end == t);
    // A whole day ends at the next midnight: two pieces, the second of zero length.
    ASSERT_EQ(SplitPeriodIntoDays(DateValue::FromFields(2010, 11, 14), DateValue::FromFields(2010, 11, 15), pieces), 0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(Text(pieces[0].end), "2010/11/14 23:59:59");
    // Across the OLE zero.
    ASSERT_EQ(SplitPeriodIntoDays(DateValue::FromFields(1899, 12, 29, 12, 0, 0),
                                  DateValue::FromFields(1899, 12, 30, 12, 0, 0), pieces),
              0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(Text(pieces[0].end), "1899/12/29 23:59:59");
    EXPECT_EQ(Text(pieces[1].start), "1899/12/30 00:00:00");

    EXPECT_EQ(SplitPeriodIntoDays(t, t - DateSpan::FromParts(0, 0, 0, 1), pieces), -1);
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(SplitPeriodIntoDays(DateValue{}, t, pieces), -1);
}

} // namespace
