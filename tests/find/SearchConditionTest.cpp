// The condition builder's W texts, the builder times, the time editor check and the
// history rule.
#include "find/SearchCondition.h"
#include "app/Settings.h"
#include "find/FindFields.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace {

std::u16string W(const SearchValues& v) {
    std::u16string w;
    EXPECT_EQ(BuildSearchCondition(v, w), 0);
    return w;
}

SearchValues Text(std::u16string text, int mask) {
    SearchValues v;
    v.text = text;
    v.fieldMask = mask;
    return v;
}

TEST(SearchCondition, DocumentedExamples) {
    EXPECT_EQ(W(SearchValues{}), u"");
    SearchValues allDay;
    allDay.startTime = u"<終日>";
    EXPECT_EQ(W(allDay), u" (f_nchEndDateTime like '%24:00:00')");
    EXPECT_EQ(W(Text(u"a'b", kSearchPlace | kSearchMemo)),
              u" ( (f_nvcPlace like '%a''b%') or (f_nvcMemo like '%a''b%') ) ");
    SearchValues dated;
    dated.startDate = u"2008/01/05";
    dated.endDate = u"2008/01/06";
    dated.endTime = u"12:30";
    EXPECT_EQ(W(dated), u" (f_nchStaDateTime >= '2008/01/05 00:00:00') and (f_nchEndDateTime < '2008/01/06 12:30:60')");
}

TEST(SearchCondition, FragmentsJoinInTheirOrder) {
    struct Case {
        SearchValues values;
        std::u16string w;
    } cases[] = {
        // 1: start date and time only.
        {{u"2010/11/14", u"09:30", u"", u"", u"", 15}, u" (f_nchStaDateTime >= '2010/11/14 09:30:00')"},
        // 2: end date alone starts without " and ".
        {{u"", u"", u"2010/11/14", u"", u"", 15}, u" (f_nchEndDateTime < '2010/11/14 24:00:00')"},
        // 3: end 24:00 is the end of the day, not ":60".
        {{u"", u"", u"2010/11/14", u"24:00", u"", 15}, u" (f_nchEndDateTime < '2010/11/14 24:00:00')"},
        // 4: all day with both dates: three terms.
        {{u"2010/11/01", u"<終日>", u"2010/11/30", u"<終日>", u"", 15},
         u" (f_nchStaDateTime >= '2010/11/01 00:00:00') and (f_nchEndDateTime < '2010/11/30 24:00:00') and "
         u"(f_nchEndDateTime like '%24:00:00')"},
        // 5: 00:00 to 24:00 typed is the all-day case as well.
        {{u"", u"00:00", u"", u"24:00", u"", 15}, u" (f_nchEndDateTime like '%24:00:00')"},
        // 6: a date term, then the text group with " and ( ".
        {{u"2010/11/14", u"", u"", u"", u"x", kSearchCategory1 | kSearchCategory2},
         u" (f_nchStaDateTime >= '2010/11/14 00:00:00') and ( (f_nvcCategory1 like '%x%') or "
         u"(f_nvcCategory2 like '%x%') ) "},
        // 7: a text with no field chosen adds nothing.
        {{u"", u"", u"", u"", u"x", 0}, u""},
        // 8: wildcards stay as typed.
        {{u"", u"", u"", u"", u"5%_", kSearchMemo}, u" ( (f_nvcMemo like '%5%_%') ) "},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(W(cases[i].values), cases[i].w) << "case " << i + 1;
}

TEST(SearchCondition, BuilderTimesAndQuotes) {
    EXPECT_EQ(BuilderStartTime(u""), u"");
    EXPECT_EQ(BuilderStartTime(u"07:00"), u"07:00:00");
    EXPECT_EQ(BuilderEndTime(u""), u"");
    EXPECT_EQ(BuilderEndTime(u"24:00"), u"24:00:00");
    EXPECT_EQ(BuilderEndTime(u"12:30"), u"12:30:60");
    EXPECT_EQ(DoubleQuotes(u"''x'"), u"''''x''");
}

TEST(SearchCondition, ValuesNoDialogHoldsAreRefused) {
    const char16_t* badDates[] = {u"2010/13/01", u"x' or 1=1 --", u"2010/1/1", u"1899/12/31"};
    for (const char16_t* date : badDates) {
        SearchValues v;
        v.startDate = date;
        std::u16string w = u"old";
        EXPECT_EQ(BuildSearchCondition(v, w), -101);
        EXPECT_EQ(w, u"");
        v.startDate.clear();
        v.endDate = date;
        EXPECT_EQ(BuildSearchCondition(v, w), -101);
    }
    const char16_t* badTimes[] = {u"25:00", u"12:3'", u"1230", u"<終日>x"};
    for (const char16_t* time : badTimes) {
        SearchValues v;
        v.endTime = time;
        std::u16string w;
        EXPECT_EQ(BuildSearchCondition(v, w), -101) << std::string(time, time + 1);
    }
    SearchValues startAtMidnight;
    startAtMidnight.startTime = u"24:00";
    std::u16string w;
    EXPECT_EQ(BuildSearchCondition(startAtMidnight, w), -101);
}

TEST(SearchCondition, NulInTheTextComparesPastIt) {
    std::u16string text = u"a";
    text += u'\0';
    text += u"b'";
    std::u16string w = W(Text(text, kSearchMemo));
    EXPECT_EQ(w.find(u'\0'), std::u16string::npos);
    std::u16string pattern = u"a\uFFFFb''";
    EXPECT_EQ(w, u" ( (nulmark(f_nvcMemo) like '%" + pattern + u"%') ) ");
}

TEST(FindTimeEntry, TypedTimes) {
    ScriptedMessages messages;
    struct Case {
        const char16_t* typed;
        bool start;
        int result;
        const char16_t* shown;
    } cases[] = {
        {u"", true, 0, u""},
        {u"<終日>", true, 0, u"<終日>"},
        {u"<終日>", false, -1, u""},
        {u"0930", true, 0, u"09:30"},
        {u"9:5", false, 0, u"09:05"},
        {u"7:30:15", true, 0, u"07:30"},
        {u"24:00", false, 0, u"24:00"},
        {u"2400", false, 0, u"24:00"},
        {u"24:00", true, -1, u""},
        {u"12:60", true, -1, u""},
        {u"abc", false, -1, u""},
        {u"12'00", true, -1, u""},
    };
    for (const Case& c : cases) {
        std::u16string shown = u"(unchanged)";
        messages.Clear();
        EXPECT_EQ(CheckFindTimeEntry(nullptr, c.typed, c.start, shown), c.result);
        if (c.result == 0) {
            EXPECT_EQ(shown, c.shown);
            EXPECT_EQ(messages.count(), 0u);
        } else {
            ASSERT_EQ(messages.count(), 1u);
            EXPECT_EQ(messages.last().text, u"入力した時刻の値が不正です。入力値を見直してください。");
            EXPECT_EQ(messages.last().caption, u"入力値不正");
            EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONEXCLAMATION);
        }
    }
}

TEST(FindHistory, NewestFirstTenAtMost) {
    std::vector<std::u16string> history;
    AddToFindHistory(history, u"");
    EXPECT_TRUE(history.empty());
    for (int i = 0; i < 12; ++i)
        AddToFindHistory(history, u"t" + std::u16string(1, char16_t(u'a' + i)));
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.front(), u"tl");
    EXPECT_EQ(history.back(), u"tc"); // "ta" and "tb" dropped out
    // A text already held moves to the top; the entries above it move down one place.
    AddToFindHistory(history, u"th");
    EXPECT_EQ(history,
              (std::vector<std::u16string>{u"th", u"tl", u"tk", u"tj", u"ti", u"tg", u"tf", u"te", u"td", u"tc"}));
    AddToFindHistory(history, u"th");
    EXPECT_EQ(history.size(), 10u);
    EXPECT_EQ(history[0], u"th");
    EXPECT_EQ(history[1], u"tl");
    // One settings file line per entry.
    AddToFindHistory(history, u"two\r\nlines");
    EXPECT_EQ(history[0], u"twolines");
}

} // namespace
