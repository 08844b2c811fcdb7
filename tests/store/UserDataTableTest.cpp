// Actions in t_UserData: round trips, cuts, refusals, queries and unique identifiers.
#include <gtest/gtest.h>

#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/ScriptedMessages.h"

#include <set>

using UserDataTest = StoreFixture;

TEST_F(UserDataTest, InsertWithoutIdentifierMakesOneAndReadsBack) {
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00", "会議");
    r[ActionField::Latitude] = u"35.5";
    r[ActionField::Longitude] = u"139.75";
    r[ActionField::Memo] = u"memo";
    ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    ASSERT_TRUE(r[ActionField::ActId]);
    EXPECT_EQ(CheckActionId(*r[ActionField::ActId]), 0);
    EXPECT_EQ(r[ActionField::ActId]->substr(0, 16), u"ID20101114090503");
    ActionRecord back;
    ASSERT_EQ(T().userData->ReadActionById(*r[ActionField::ActId], back), S_OK);
    EXPECT_EQ(back[ActionField::LastUpdate], u"2010/11/14 09:05:03");
    EXPECT_EQ(back[ActionField::Latitude], u"35.500000");
    EXPECT_EQ(back[ActionField::Longitude], u"139.750000");
    EXPECT_EQ(back[ActionField::Subject], u"会議");
    EXPECT_FALSE(back[ActionField::Place]);
    EXPECT_FALSE(back[ActionField::ExtItems]);
    EXPECT_EQ(RawValue(file, "select f_dtLastUpdate from t_UserData"), "2010-11-14 09:05:03");
}

TEST_F(UserDataTest, TextsAreCutToColumnWidthInCodeUnits) {
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    r[ActionField::Subject] = std::u16string(150, u'字');
    r[ActionField::Memo] = std::u16string(2100, u'm');
    // A surrogate pair across the limit is dropped whole, never split.
    r[ActionField::Place] = std::u16string(499, u'p') + u"\U0001F600";
    ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    ActionRecord back;
    ASSERT_EQ(T().userData->ReadActionById(*r[ActionField::ActId], back), S_OK);
    EXPECT_EQ(back[ActionField::Subject], std::u16string(100, u'字'));
    EXPECT_EQ(back[ActionField::Memo]->size(), 2000u);
    EXPECT_EQ(back[ActionField::Place], std::u16string(499, u'p'));
}

TEST_F(UserDataTest, RefusedRecordsWriteNothing) {
    struct Case {
        const char* id;
        const char* start;
        const char* end;
    } cases[] = {
        {nullptr, "2010/11/14 10:00:00", "2010/11/14 09:59:59"},
        {nullptr, "2010/11/14 10:00:00", "2010/11/14 24:00:00"},
        {"ID123", "2010/11/14 10:00:00", "2010/11/14 11:00:00"},
        {"XX2010111409050307", "2010/11/14 10:00:00", "2010/11/14 11:00:00"},
    };
    for (const Case& c : cases) {
        ActionRecord r = MakeAction(c.start, c.end);
        if (c.id) r[ActionField::ActId] = FromUtf8(c.id);
        EXPECT_EQ(T().userData->InsertAction(r), E_INVALIDARG) << c.start << " " << c.end;
        ActionRecord u = MakeAction(c.start, c.end);
        u[ActionField::ActId] = FromUtf8(c.id ? c.id : "ID2010111409050307");
        EXPECT_EQ(T().userData->UpdateAction(u), E_INVALIDARG);
    }
    EXPECT_EQ(RawValue(file, "select count(*) from t_UserData"), "0");
    EXPECT_EQ(T().userData->DeleteAction(u"ID1"), E_INVALIDARG);
}

TEST_F(UserDataTest, UpdateAndDelete) {
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00", "a");
    r[ActionField::Place] = u"place";
    ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    ActionRecord other = MakeAction("2010/11/15 09:00:00", "2010/11/15 10:00:00", "b");
    ASSERT_EQ(T().userData->InsertAction(other), S_OK);
    SetFixedClock(2010, 11, 15, 1, 2, 3);
    r[ActionField::Subject] = u"changed";
    r[ActionField::Place].reset();
    ASSERT_EQ(T().userData->UpdateAction(r), S_OK);
    ActionRecord back;
    ASSERT_EQ(T().userData->ReadActionById(*r[ActionField::ActId], back), S_OK);
    EXPECT_EQ(back[ActionField::Subject], u"changed");
    EXPECT_FALSE(back[ActionField::Place]);
    EXPECT_EQ(back[ActionField::LastUpdate], u"2010/11/15 01:02:03");
    ActionRecord missing = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    missing[ActionField::ActId] = u"ID2099010100000000";
    EXPECT_EQ(T().userData->UpdateAction(missing), DB_S_ENDOFROWSET);
    ASSERT_EQ(T().userData->DeleteAction(*r[ActionField::ActId]), S_OK);
    EXPECT_EQ(T().userData->ReadActionById(*r[ActionField::ActId], back), DB_E_NOTFOUND);
    EXPECT_EQ(T().userData->ReadActionById(*other[ActionField::ActId], back), S_OK);
}

TEST_F(UserDataTest, IdentifierWithQuotesIsPlainData) {
    ActionRecord victim = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00", "keep");
    ASSERT_EQ(T().userData->InsertAction(victim), S_OK);
    const std::u16string evil = u"ID' or '1'='1'--xx";
    ASSERT_EQ(evil.size(), 18u);
    ActionRecord r = MakeAction("2010/11/14 11:00:00", "2010/11/14 12:00:00", "evil");
    r[ActionField::ActId] = evil;
    ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    r[ActionField::Subject] = u"evil2";
    ASSERT_EQ(T().userData->UpdateAction(r), S_OK);
    ActionRecord back;
    ASSERT_EQ(T().userData->ReadActionById(evil, back), S_OK);
    EXPECT_EQ(back[ActionField::Subject], u"evil2");
    ASSERT_EQ(T().userData->ReadActionById(*victim[ActionField::ActId], back), S_OK);
    EXPECT_EQ(back[ActionField::Subject], u"keep");
    ASSERT_EQ(T().userData->DeleteAction(evil), S_OK);
    EXPECT_EQ(RawValue(file, "select count(*) from t_UserData"), "1");
}

TEST_F(UserDataTest, GivenIdentifierIsKeptEvenWhenTaken) {
    ActionRecord a = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    a[ActionField::ActId] = u"ID2010111409050307";
    ActionRecord b = a;
    ASSERT_EQ(T().userData->InsertAction(a), S_OK);
    ASSERT_EQ(T().userData->InsertAction(b), S_OK);
    EXPECT_EQ(RawValue(file, "select count(*) from t_UserData where f_nchActId='ID2010111409050307'"), "2");
}

TEST_F(UserDataTest, QueriesReadToTheEndEveryTime) {
    for (int i = 0; i < 3; ++i) {
        ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
        ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    }
    UserDataTable& u = *T().userData;
    EXPECT_EQ(u.OpenQuery(u"select f_nchActId from t_UserData", {"f_nvcMemo"}), E_FAIL);
    ASSERT_EQ(u.OpenQuery(u"select f_nchActId, f_fltLatitude from t_UserData where f_nchStaDateTime >= ?",
                          {"f_fltLatitude", "f_nchActId"}, {u"2010/11/14 00:00:00"}),
              S_OK);
    EXPECT_EQ(u.QueryRowCount(), 3);
    std::vector<OptText> row;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(u.ReadNextRow(row), S_OK);
            EXPECT_FALSE(row[0]);
            EXPECT_EQ(row[1]->size(), 18u);
        }
        EXPECT_EQ(u.ReadNextRow(row), DB_S_ENDOFROWSET);
        EXPECT_EQ(u.ReadNextRow(row), DB_S_ENDOFROWSET);
        EXPECT_EQ(u.RestartQuery(), S_OK);
    }
    u.CloseQuery();
    u.CloseQuery();
    EXPECT_EQ(u.ReadNextRow(row), E_FAIL);
}

TEST_F(UserDataTest, TenThousandInsertsInOneSecondGetDistinctIdentifiers) {
    SeedRandom(1);
    ASSERT_EQ(ExecuteSql(T().db, "BEGIN"), S_OK);
    std::set<std::u16string> ids;
    for (int i = 0; i < 10000; ++i) {
        ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
        ASSERT_EQ(T().userData->InsertAction(r), S_OK) << i;
        EXPECT_EQ(CheckActionId(*r[ActionField::ActId]), 0);
        ids.insert(*r[ActionField::ActId]);
    }
    ASSERT_EQ(ExecuteSql(T().db, "COMMIT"), S_OK);
    EXPECT_EQ(ids.size(), 10000u);
    // 100 numbers a second: the last ones lie 99 seconds after the clock.
    EXPECT_EQ(ids.begin()->substr(0, 16), u"ID20101114090503");
    EXPECT_EQ(ids.rbegin()->substr(0, 16), u"ID20101114090642");
}

TEST_F(UserDataTest, LongestActionIsRaisedByWrites) {
    ActionRecord a = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    ASSERT_EQ(T().userData->InsertAction(a), S_OK);
    EXPECT_EQ(T().userData->LongestActionSeconds(), 3600);
    ActionRecord b = MakeAction("2010/11/13 00:00:00", "2010/11/14 24:00:00");
    ASSERT_EQ(T().userData->InsertAction(b), S_OK);
    EXPECT_EQ(T().userData->LongestActionSeconds(), 2 * 86400);
    a[ActionField::EndDateTime] = u"2010/12/14 09:00:00";
    ASSERT_EQ(T().userData->UpdateAction(a), S_OK);
    EXPECT_EQ(T().userData->LongestActionSeconds(), 30 * 86400);
    CloseDataFile();
    ASSERT_EQ(OpenDataFile(FromUtf8(file)), S_OK);
    EXPECT_EQ(T().userData->LongestActionSeconds(), 30 * 86400);
    EXPECT_EQ(ActionLengthSeconds(u"2010/02/28 12:00:00", u"2010/03/01 12:00:00"), 86400);
    EXPECT_EQ(ActionLengthSeconds(u"garbage", u"2010/03/01 12:00:00"), 0);
}

// A desktop with a comma as decimal point changes nothing the store writes or reads.
TEST_F(UserDataTest, CoordinatesKeepTheirValueUnderACommaLocale) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    ActionRecord r = MakeAction("2010/11/14 09:00:00", "2010/11/14 10:00:00");
    r[ActionField::Latitude] = u"35.5";
    r[ActionField::Longitude] = u"-139.75";
    ASSERT_EQ(T().userData->InsertAction(r), S_OK);
    ActionRecord back;
    ASSERT_EQ(T().userData->ReadActionById(*r[ActionField::ActId], back), S_OK);
    EXPECT_EQ(back[ActionField::Latitude], u"35.500000");
    EXPECT_EQ(back[ActionField::Longitude], u"-139.750000");
    EXPECT_EQ(RawValue(file, "select f_fltLatitude || ' ' || f_fltLongitude from t_UserData"), "35.5 -139.75");
}
