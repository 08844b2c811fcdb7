// The export and error lines: identifiers, "(NULL)" and empty fields, the memo, the
// error rows.
#include "salvage/SalvageLines.h"
#include "core/Clock.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"

#include <gtest/gtest.h>

namespace {

using namespace ActionField;

ActionRecord Full() {
    ActionRecord r;
    r[ActId] = u"ID2010111409050312";
    r[LastUpdate] = u"2010/11/14 09:05:03";
    r[StaDateTime] = u"2010/11/14 09:00:00";
    r[EndDateTime] = u"2010/11/14 10:00:00";
    r[Latitude] = u"35.000000";
    r[Longitude] = u"139.500000";
    r[Subject] = u"会議";
    r[Place] = u"東京";
    r[Category1] = u"c1";
    r[Category2] = u"c2";
    r[Memo] = u"a\r\nb\"";
    r[ExtItems] = u"n:int=1";
    return r;
}

std::string Line(const ActionRecord& r, IdentifierCounter& counter) {
    std::u16string line;
    AppendSalvageLine(r, counter, line);
    return ToUtf8(line);
}

class SalvageLines : public ::testing::Test {
protected:
    void SetUp() override { SetFixedClock(2010, 11, 14, 9, 5, 3); }
    void TearDown() override { SetClockSource({}); }
    IdentifierCounter counter;
};

TEST_F(SalvageLines, FullRowIsTheVer3LineAndReadsBack) {
    std::string line = Line(Full(), counter);
    EXPECT_EQ(line, "ID2010111409050312\t2010/11/14 09:05:03\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t35.000000\t"
                    "139.500000\t会議\t東京\tc1\tc2\t\"a\\r\\nb\\\"\"\tn:int=1");
    ActionRecord back;
    ASSERT_TRUE(ParseExchangeLine(ExchangeLayout::Ver3, FromUtf8(line), back));
    ActionRecord expected = Full();
    expected[LastUpdate].reset();
    EXPECT_EQ(back, expected);
}

TEST_F(SalvageLines, AbsentFieldsAreNullTextsOrEmpty) {
    ActionRecord r;
    r[StaDateTime] = u"2010/11/14 09:00:00";
    r[EndDateTime] = u"2010/11/14 10:00:00";
    EXPECT_EQ(Line(r, counter), "ID2010111409050300\t(NULL)\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t\t\t\t(NULL)\t"
                                "(NULL)\t(NULL)\t\t");
    // An unconvertible memo is absent: an empty field, not two quotes.
    r[Memo] = u"";
    EXPECT_EQ(Line(r, counter).substr(Line(r, counter).rfind("(NULL)")), "(NULL)\t\"\"\t");
}

TEST_F(SalvageLines, IdentifiersAreCutMadeOrReplaced) {
    ActionRecord r = Full();
    r[ActId] = u"ID2010111409050312EXTRA";
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050312");
    r[ActId] = u"ID20101114";
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050300");
    r[ActId].reset();
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050301");
    // One the import would refuse (not beginning with "ID") is replaced as well.
    r[ActId] = u"XX2010111409050312";
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050302");
}

TEST_F(SalvageLines, CounterWrapsAfter99AndResets) {
    ActionRecord r;
    for (int i = 0; i < 99; ++i)
        SalvageIdentifier(r, counter);
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050399");
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050300");
    SalvageIdentifier(r, counter);
    counter.Reset();
    EXPECT_EQ(SalvageIdentifier(r, counter), u"ID2010111409050300");
}

TEST_F(SalvageLines, ErrorRows) {
    ActionRecord r = Full();
    EXPECT_FALSE(IsSalvageErrorRow(r));
    r[EndDateTime].reset();
    EXPECT_TRUE(IsSalvageErrorRow(r));
    r[EndDateTime] = u"2010/11/14 10:00"; // shorter than 19
    EXPECT_TRUE(IsSalvageErrorRow(r));
    // An end before the start would stop the import of the whole file.
    r[EndDateTime] = u"2010/11/14 08:00:00";
    EXPECT_TRUE(IsSalvageErrorRow(r));
    r = Full();
    r[StaDateTime].reset();
    EXPECT_TRUE(IsSalvageErrorRow(r));
}

TEST_F(SalvageLines, ErrorLineWritesNoDataAndTheMemoAsItIs) {
    ActionRecord r = Full();
    r[EndDateTime].reset();
    r[Latitude].reset();
    r[ExtItems].reset();
    std::u16string line;
    AppendErrorLine(r, line);
    EXPECT_EQ(ToUtf8(line), "ID2010111409050312\t2010/11/14 09:05:03\t2010/11/14 09:00:00\t(no data)\t\t139.500000\t"
                            "会議\t東京\tc1\tc2\ta\r\nb\"\t");
    line.clear();
    AppendErrorLine(ActionRecord{}, line);
    EXPECT_EQ(ToUtf8(line), "(no data)\t(no data)\t(no data)\t(no data)\t\t\t(no data)\t(no data)\t(no data)\t"
                            "(no data)\t(no data)\t");
}

TEST_F(SalvageLines, TabsAndLineBreaksOutsideTheMemoKeepTheLineWhole) {
    ActionRecord r = Full();
    r[Subject] = u"a\tb\r\nc";
    std::string line = Line(r, counter);
    EXPECT_NE(line.find("\ta bc\t"), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

} // namespace
