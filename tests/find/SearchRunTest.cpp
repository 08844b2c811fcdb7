// Searches against a real data file: hostile texts are plain data, wildcards keep their
// meaning, NULs do not cut the text, the outcome messages, a failed query leaving the
// previous result, and the narrowing kept by rebuilds and refreshes after writes.
#include <gtest/gtest.h>

#include "core/Utf.h"
#include "find/SearchRun.h"
#include "store/ActionIndex.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScriptedMessages.h"

#include <sqlite3.h>

namespace {

class SearchRun : public StoreFixture {
protected:
    // Inserts an action on the day with the memo and place; returns its identifier.
    std::u16string Add(const char* start, const char* end, std::u16string memo, std::u16string place = u"p") {
        ActionRecord r = MakeAction(start, end);
        r[ActionField::Memo] = std::move(memo);
        r[ActionField::Place] = std::move(place);
        EXPECT_EQ(T().userData->InsertAction(r), S_OK);
        return *r[ActionField::ActId];
    }
    // The memos of the actions found by the text in place and memo.
    std::vector<std::u16string> Found(const std::u16string& text) {
        SearchValues v;
        v.text = text;
        v.fieldMask = kSearchPlace | kSearchMemo;
        messages.Clear();
        EXPECT_EQ(RunSearch(nullptr, *T().userData, index, v, condition), 0);
        std::vector<std::u16string> memos;
        for (long long i = 0; i < index.count(); ++i) {
            ActionRecord r;
            EXPECT_EQ(T().userData->ReadActionById(index.IdAt(i), r), S_OK);
            memos.push_back(r[ActionField::Memo].value_or(u"<null>"));
        }
        return memos;
    }
    long long Rows() { return std::stoll(RawValue(file, "select count(*) from t_UserData")); }

    ScriptedMessages messages;
    ActionIndex index;
    std::u16string condition;
};

using Memos = std::vector<std::u16string>;

TEST_F(SearchRun, HostileTextsArePlainData) {
    const std::u16string hostile[] = {u"it's", u"'); drop table t_UserData; --", u"a -- b", u"x;y", u"(z)", u"\"q\""};
    int hour = 0;
    for (const auto& memo : hostile) {
        std::string start = "2010/11/14 0" + std::to_string(hour++) + ":00:00";
        Add(start.c_str(), "2010/11/14 09:30:00", memo);
    }
    Add("2010/11/14 10:00:00", "2010/11/14 11:00:00", u"plain");
    CloseDataFile();
    long long before = std::stoll(RawValue(file, "select count(*) from t_UserData"));
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
    for (const auto& text : hostile)
        EXPECT_EQ(Found(text), Memos{text}) << ToUtf8(text);
    EXPECT_EQ(Found(u"'"), (Memos{u"it's", u"'); drop table t_UserData; --"}));
    EXPECT_EQ(Found(u")"), (Memos{u"'); drop table t_UserData; --", u"(z)"}));
    CloseDataFile();
    EXPECT_EQ(std::stoll(RawValue(file, "select count(*) from t_UserData")), before);
    EXPECT_EQ(IntegrityOf(file), "ok");
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
}

TEST_F(SearchRun, WildcardsKeepTheirLikeMeaning) {
    Add("2010/11/14 01:00:00", "2010/11/14 02:00:00", u"abc");
    Add("2010/11/14 02:00:00", "2010/11/14 03:00:00", u"a_c");
    Add("2010/11/14 03:00:00", "2010/11/14 04:00:00", u"50%");
    EXPECT_EQ(Found(u"a_c"), (Memos{u"abc", u"a_c"}));
    EXPECT_EQ(Found(u"0%"), (Memos{u"50%"}));
    EXPECT_EQ(Found(u"%").size(), 3u);
}

TEST_F(SearchRun, NulInTheTextFindsWhatFollowsIt) {
    std::u16string withNul = u"x";
    withNul += u'\0';
    withNul += u"secret";
    std::u16string otherNul = u"x";
    otherNul += u'\0';
    otherNul += u"other";
    Add("2010/11/14 01:00:00", "2010/11/14 02:00:00", withNul);
    Add("2010/11/14 02:00:00", "2010/11/14 03:00:00", otherNul);
    Add("2010/11/14 03:00:00", "2010/11/14 04:00:00", u"x");
    EXPECT_EQ(Found(withNul), (Memos{withNul}));
    std::u16string prefix = u"x";
    prefix += u'\0';
    EXPECT_EQ(Found(prefix), (Memos{withNul, otherNul}));
    EXPECT_EQ(Found(u"x").size(), 3u);
    // A search text without a NUL finds what follows a stored NUL too (a fuzzer's find:
    // the engine's LIKE stopped at the NUL), with the wildcards as ever.
    EXPECT_EQ(Found(u"secret"), (Memos{withNul}));
    EXPECT_EQ(Found(u"SECRET"), (Memos{withNul}));
    EXPECT_EQ(Found(u"s_cr%t"), (Memos{withNul}));
    EXPECT_EQ(Found(u"er"), (Memos{otherNul}));
}

TEST_F(SearchRun, OutcomeMessagesAndTheActiveCondition) {
    Add("2010/11/14 01:00:00", "2010/11/14 02:00:00", u"one");
    Add("2010/11/15 01:00:00", "2010/11/15 02:00:00", u"two");
    Add("2010/11/16 00:00:00", "2010/11/16 24:00:00", u"three");
    EXPECT_EQ(Found(u"o"), (Memos{u"one", u"two"}));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"2 個のアクションが見つかりました。");
    EXPECT_EQ(messages.last().caption, u"検索結果");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(condition, u" ( (f_nvcPlace like '%o%') or (f_nvcMemo like '%o%') ) ");
    EXPECT_TRUE(Found(u"nothing").empty());
    EXPECT_EQ(messages.last().text, u"該当するアクションはありません。");
    // Dates and the all-day case against stored periods.
    SearchValues v;
    v.startDate = u"2010/11/15";
    v.startTime = u"<終日>";
    ASSERT_EQ(RunSearch(nullptr, *T().userData, index, v, condition), 0);
    ASSERT_EQ(index.count(), 1);
    EXPECT_EQ(index.StartAt(0), u"2010/11/16 00:00:00");
    v = SearchValues{};
    v.endDate = u"2010/11/15";
    v.endTime = u"02:00";
    ASSERT_EQ(RunSearch(nullptr, *T().userData, index, v, condition), 0);
    EXPECT_EQ(index.count(), 2); // an end at 02:00:00 lies inside the minute 02:00
    // An empty search selects everything and clears the condition.
    ASSERT_EQ(RunSearch(nullptr, *T().userData, index, SearchValues{}, condition), 0);
    EXPECT_EQ(index.count(), 3);
    EXPECT_EQ(condition, u"");
    EXPECT_EQ(messages.last().text, u"3 個のアクションが見つかりました。");
}

TEST_F(SearchRun, FailureLeavesThePreviousResult) {
    Add("2010/11/14 01:00:00", "2010/11/14 02:00:00", u"one");
    Add("2010/11/15 01:00:00", "2010/11/15 02:00:00", u"two");
    ASSERT_EQ(Found(u"one").size(), 1u);
    ActionIndex before = index;
    std::u16string conditionBefore = condition;
    SearchValues bad;
    bad.startDate = u"2010/02/30";
    messages.Clear();
    EXPECT_EQ(RunSearch(nullptr, *T().userData, index, bad, condition), -101);
    // A query the engine refuses: the table has gone.
    ASSERT_EQ(sqlite3_exec(T().userData->db(), "alter table t_UserData rename to t_Gone", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(RunSearch(nullptr, *T().userData, index, SearchValues{}, condition), -101);
    ASSERT_EQ(messages.count(), 2u);
    for (const ShownMessage& m : messages.shown()) {
        EXPECT_EQ(m.text, u"検索中にエラーが発生しました。");
        EXPECT_EQ(m.caption, u"検索エラー");
        EXPECT_EQ(m.flags, MB_OK | MB_ICONEXCLAMATION);
    }
    EXPECT_TRUE(index == before);
    EXPECT_EQ(condition, conditionBefore);
}

TEST_F(SearchRun, WritesDuringASearchKeepTheNarrowing) {
    std::u16string one = Add("2010/11/14 01:00:00", "2010/11/14 02:00:00", u"match 1");
    Add("2010/11/14 03:00:00", "2010/11/14 04:00:00", u"other");
    ASSERT_EQ(Found(u"match").size(), 1u);
    // A new matching action, one that does not match, and an edit that stops matching.
    std::u16string two = Add("2010/11/14 05:00:00", "2010/11/14 06:00:00", u"match 2");
    ASSERT_EQ(RefreshIndexAfterSave(*T().userData, index, two, condition), S_OK);
    std::u16string three = Add("2010/11/14 07:00:00", "2010/11/14 08:00:00", u"nope");
    ASSERT_EQ(RefreshIndexAfterSave(*T().userData, index, three, condition), S_OK);
    EXPECT_EQ(index.count(), 2);
    ActionRecord r;
    ASSERT_EQ(T().userData->ReadActionById(one, r), S_OK);
    r[ActionField::Memo] = u"changed";
    ASSERT_EQ(T().userData->UpdateAction(r), S_OK);
    ASSERT_EQ(RefreshIndexAfterSave(*T().userData, index, one, condition), S_OK);
    ASSERT_EQ(index.count(), 1);
    EXPECT_EQ(index.IdAt(0), two);
    ActionIndex rebuilt;
    ASSERT_EQ(RebuildActionIndex(*T().userData, rebuilt, condition), S_OK);
    EXPECT_TRUE(rebuilt == index);
}

} // namespace
