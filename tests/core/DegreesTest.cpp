// Degrees texts of coordinates.
#include "core/Degrees.h"

#include "core/Utf.h"
#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Degrees, Format) {
    EXPECT_EQ(FormatDegreesText(35.5), u"35/30/0.000000");
    EXPECT_EQ(FormatDegreesText(-139.758472), u"-139/45/30.499200");
    EXPECT_EQ(FormatDegreesText(0), u"0/0/0.000000");
    EXPECT_EQ(FormatDegreesText(-0.5), u"-0/30/0.000000");
    EXPECT_EQ(FormatDegreesText(0.25), u"0/15/0.000000");
}

TEST(Degrees, FormatReadsBack) {
    const double values[] = {35.5, -139.758472, -0.5, -0.000123, 0.999, 179.999999, -89.123456};
    for (double v : values) {
        double back = 0;
        ASSERT_EQ(ParseDegreesText(FormatDegreesText(v), back), 0) << v;
        EXPECT_NEAR(back, v, 1e-9) << v;
    }
}

TEST(Degrees, ParseCodes) {
    struct Case {
        const char16_t* text;
        int code;
        double value = 0;
    } cases[] = {
        {u"-139/45/30.5", 0, -139.758472222},
        {u"35/30/0", 0, 35.5},
        {u"35/30/.", 0, 35.5},
        {u"35/30/.5", 0, 35.5 + 0.5 / 3600},
        {u"0/0/36", 0, 0.01},
        {u"-0/30/0.000000", 0, -0.5},
        {u"", 100},
        {u"x", -100},
        {u"+1/2/3", -100},
        {u"-", 101},
        {u"-x", -101},
        {u"35", 102},
        {u"35x", -102},
        {u"35-", -102},
        {u"35/", 200},
        {u"35/x", -200},
        {u"35/30", 201},
        {u"35/30x", -201},
        {u"35/30/", 300},
        {u"35/30/x", -300},
        {u"35/30/-1", -300},
        {u"35/30/1.2.3", -301},
        {u"35/30/1x", -301},
        {u"35/30/1/", -301},
    };
    for (const auto& c : cases) {
        double v = 12345;
        EXPECT_EQ(ParseDegreesText(c.text, v), c.code);
        if (c.code == 0)
            EXPECT_NEAR(v, c.value, 1e-8);
        else
            EXPECT_EQ(v, 12345) << "a failed parse leaves the value alone";
    }
}

TEST(Degrees, Split) {
    int d, m, s, ms;
    SplitDegrees(-139.758472, d, m, s, ms);
    EXPECT_EQ(d, -139);
    EXPECT_EQ(m, 45);
    EXPECT_EQ(s, 30);
    EXPECT_EQ(ms, 499);
    SplitDegrees(35.5, d, m, s, ms);
    EXPECT_EQ(d * 1000000 + m * 10000 + s * 1000 + ms, 35300000);
    // Values no coordinate can have do not crash.
    SplitDegrees(1e300, d, m, s, ms);
    EXPECT_EQ(d, 0);
    double v;
    EXPECT_NE(ParseDegreesText(FormatDegreesText(std::numeric_limits<double>::quiet_NaN()), v), 0);
}

} // namespace

namespace {

TEST(Degrees, SameTextsUnderACommaLocale) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_EQ(FormatDegreesText(35.5), u"35/30/0.000000");
    EXPECT_EQ(FormatDegreesText(-139.758472), u"-139/45/30.499200");
    EXPECT_EQ(FormatText("%f|%g", 35.5, 0.25), u"35.500000|0.25");
    double back = 0;
    ASSERT_EQ(ParseDegreesText(u"35/30/1.5", back), 0);
    EXPECT_NEAR(back, 35.5 + 1.5 / 3600, 1e-12);
}

} // namespace
