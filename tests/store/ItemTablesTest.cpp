// Item tables and the recorder state kept in them.
#include <gtest/gtest.h>

#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/RecorderState.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ScriptedMessages.h"

using ItemTablesTest = StoreFixture;

TEST_F(ItemTablesTest, SetTwiceKeepsOneRowAndMissingItemsAreNotFound) {
    ASSERT_EQ(T().textData->SetItemText(u"Foo", u"one"), S_OK);
    ASSERT_EQ(T().textData->SetItemText(u"Foo", u"two"), S_OK);
    ASSERT_EQ(T().longData->SetItemInt(u"Bar", 1), S_OK);
    ASSERT_EQ(T().longData->SetItemInt(u"Bar", -7), S_OK);
    OptText value = u"untouched";
    EXPECT_EQ(T().textData->GetItemText(u"Nothing", value), DB_E_NOTFOUND);
    EXPECT_EQ(value, u"untouched");
    int number = 5;
    EXPECT_EQ(T().longData->GetItemInt(u"Nothing", number), DB_E_NOTFOUND);
    ASSERT_EQ(T().textData->GetItemText(u"Foo", value), S_OK);
    EXPECT_EQ(value, u"two");
    ASSERT_EQ(T().longData->GetItemInt(u"Bar", number), S_OK);
    EXPECT_EQ(number, -7);
    ASSERT_EQ(T().textData->SetItemText(u"Long", std::u16string(600, u'v')), S_OK);
    ASSERT_EQ(T().textData->GetItemText(u"Long", value), S_OK);
    EXPECT_EQ(value->size(), 500u);
    ASSERT_EQ(T().textData->SetItemText(u"Null", std::nullopt), S_OK);
    ASSERT_EQ(T().textData->GetItemText(u"Null", value), S_OK);
    EXPECT_FALSE(value);
    CloseDataFile();
    EXPECT_EQ(RawValue(file, "select count(*) from t_TextData where f_nvcItem='Foo'"), "1");
    EXPECT_EQ(RawValue(file, "select count(*) from t_LongData where f_nvcItem='Bar'"), "1");
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
}

TEST_F(ItemTablesTest, NewFileHasTheNineRecorderItems) {
    CloseDataFile();
    EXPECT_EQ(RawValue(file, "select count(*) from t_TextData"), "8");
    EXPECT_EQ(RawValue(file, "select count(*) from t_TextData where f_nvcValue = ''"), "8");
    EXPECT_EQ(RawValue(file, "select f_i4Value from t_LongData where f_nvcItem='RcdrHistNum'"), "0");
    EXPECT_EQ(RawValue(file, "select f_nvcValue from t_SysInfo where f_nvcItem='DBFmtVer'"), "3.2.2010.0623");
    EXPECT_EQ(RawValue(file, "select f_nvcValue from t_SysInfo where f_nvcItem='ProgName'"), "Tidemark");
    EXPECT_EQ(RawValue(file, "select f_nvcValue from t_SysInfo where f_nvcItem='CreateTime'"), "2010/11/14 09:05:03");
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
    RecorderState s;
    ASSERT_EQ(LoadRecorderState(s), 0);
    EXPECT_TRUE(s.history.ids.empty());
    EXPECT_EQ(s.time, kCurrentTimePlaceholder);
}

TEST_F(ItemTablesTest, HistoryReadsOnlyRcdrHistNumRows) {
    for (int i = 4; i >= 0; --i)
        ASSERT_EQ(T().rcdrData->SetHistoryEntry(i, FormatText("ID00000000000000%02d", i)), S_OK);
    ASSERT_EQ(T().rcdrData->SetHistoryEntry(1, u"ID0000000000000099"), S_OK);
    ASSERT_EQ(T().longData->SetItemInt(u"RcdrHistNum", 3), S_OK);
    RecorderState s;
    ASSERT_EQ(LoadRecorderState(s), 0);
    EXPECT_EQ(s.history.ids,
              (std::vector<std::u16string>{u"ID0000000000000000", u"ID0000000000000099", u"ID0000000000000002"}));
}

TEST_F(ItemTablesTest, StateRoundTripsAndHistoryRewriteSurvivesReopen) {
    RecorderState s;
    s.preActId = u"ID2010111409050307";
    s.preDate = u"2010/11/14";
    s.preTime = u"09:05:03";
    s.date = u"2010/11/14";
    s.time = u"10:00:00";
    s.latitude = u"35/30/0.000000";
    s.longitude = u"139/45/0.000000";
    s.place = u"家";
    s.category1 = u"c1";
    s.category2 = u"c2";
    s.changed = true;
    ASSERT_EQ(T().textData->SetItemText(u"RcdrPreActId", s.preActId), S_OK);
    for (int i = 0; i < 4; ++i) {
        std::u16string id = FormatText("ID20101114090503%02d", i);
        s.history.ids.push_back(id);
        ASSERT_EQ(T().rcdrData->SetHistoryEntry(i, id), S_OK);
    }
    s.history.ids.erase(s.history.ids.begin() + 1);
    ASSERT_EQ(RewriteRecorderHistory(s.history), S_OK);
    RecorderState saved = s;
    ActionIndex index;
    index.Append(u"ID0000000000000000", u"2010/11/14 08:00:00");
    SaveRecorderState(s, index);
    EXPECT_FALSE(OpenTables());
    EXPECT_TRUE(index.empty());
    EXPECT_TRUE(s.history.ids.empty());
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
    RecorderState back;
    ASSERT_EQ(LoadRecorderState(back), 0);
    saved.changed = false;
    EXPECT_EQ(back.history.ids, saved.history.ids);
    EXPECT_EQ(back.preDate, saved.preDate);
    EXPECT_EQ(back.preTime, saved.preTime);
    EXPECT_EQ(back.date, saved.date);
    EXPECT_EQ(back.time, saved.time);
    EXPECT_EQ(back.latitude, saved.latitude);
    EXPECT_EQ(back.place, saved.place);
    EXPECT_EQ(back.category2, saved.category2);
    back.time = kCurrentTimePlaceholder;
    ASSERT_EQ(WriteRecorderItems(back), 0);
    OptText when;
    ASSERT_EQ(T().textData->GetItemText(u"RcdrDateTime", when), S_OK);
    EXPECT_EQ(when, u"");
}

TEST_F(ItemTablesTest, SaveFailureIsTold) {
    ScriptedMessages messages;
    ASSERT_EQ(ExecuteSql(T().db, "DROP TABLE t_TextData"), S_OK);
    RecorderState s;
    s.changed = true;
    ActionIndex index;
    SaveRecorderState(s, index);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"レコーダーデータ保存中にエラーが発生しました。(-5)");
    EXPECT_EQ(messages.last().caption, u"保存エラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    EXPECT_FALSE(OpenTables());
    // The fixture's integrity check needs a file; recreate it.
    ASSERT_EQ(CreateDataFile(FromUtf8(file)), S_OK);
}
