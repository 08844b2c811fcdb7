// The action index: rebuild order, search rules, lookups and the incremental refresh.
#include <gtest/gtest.h>

#include "core/Random.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "tests/store/StoreTestSupport.h"

#include <random>

using ActionIndexTest = StoreFixture;

namespace {
std::u16string Insert(const char* start, const char* subject = "s") {
    ActionRecord r = MakeAction(start, "2099/01/01 00:00:00", subject);
    EXPECT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    return *r[ActionField::ActId];
}
} // namespace

TEST_F(ActionIndexTest, RebuildOrdersByStartAndHonoursTheSearchCondition) {
    std::u16string late = Insert("2010/11/15 08:00:00", "x");
    std::u16string early = Insert("2010/11/13 08:00:00", "y");
    std::u16string mid = Insert("2010/11/14 08:00:00", "x");
    ActionIndex index;
    ASSERT_EQ(RebuildActionIndex(*T().userData, index), S_OK);
    ASSERT_EQ(index.count(), 3);
    EXPECT_EQ(index.IdAt(0), early);
    EXPECT_EQ(index.IdAt(1), mid);
    EXPECT_EQ(index.IdAt(2), late);
    EXPECT_EQ(index.StartAt(1), u"2010/11/14 08:00:00");
    ASSERT_EQ(RebuildActionIndex(*T().userData, index, u"f_nvcSubject = 'x'"), S_OK);
    ASSERT_EQ(index.count(), 2);
    EXPECT_EQ(index.IdAt(0), mid);
    EXPECT_LT(RebuildActionIndex(*T().userData, index, u"no_such_column = 1"), 0);
    EXPECT_TRUE(index.empty());
}

TEST_F(ActionIndexTest, SearchLowerAndUpper) {
    ActionIndex index;
    EXPECT_EQ(SearchActionIndex(index, u"2010/11/14", u"08:00:00", SearchMode::Lower), -101);
    for (const char* s : {"2010/11/13 08:00:00", "2010/11/14 08:00:00", "2010/11/14 08:00:00", "2010/11/14 08:00:00",
                          "2010/11/15 08:00:00"})
        index.Append(u"ID0000000000000000", FromUtf8(s));
    struct Case {
        const char16_t* date;
        const char16_t* time;
        long long lower, upper;
    } cases[] = {
        {u"2010/11/14", u"08:00:00", 1, 4}, {u"2010/01/01", u"00:00:00", 0, 0}, {u"2011/01/01", u"00:00:00", 5, 5},
        {u"2010/11/13", u"08:00:00", 0, 1}, {u"2010/11/15", u"08:00:00", 4, 5}, {u"2010/11/14", u"07:59:59", 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SearchActionIndex(index, c.date, c.time, SearchMode::Lower), c.lower);
        EXPECT_EQ(SearchActionIndex(index, c.date, c.time, SearchMode::Upper), c.upper);
    }
}

TEST_F(ActionIndexTest, FindActionInIndex) {
    ActionIndex index;
    std::u16string a = Insert("2010/11/14 08:00:00");
    EXPECT_EQ(FindActionInIndex(*T().userData, index, a), -101);
    std::u16string b = Insert("2010/11/14 08:00:00");
    std::u16string c = Insert("2010/11/14 08:00:00");
    Insert("2010/11/13 08:00:00");
    ASSERT_EQ(RebuildActionIndex(*T().userData, index), S_OK);
    for (const std::u16string& id : {a, b, c}) {
        long long p = FindActionInIndex(*T().userData, index, id);
        ASSERT_GE(p, 1);
        EXPECT_EQ(index.IdAt(p), id);
    }
    EXPECT_EQ(FindActionInIndex(*T().userData, index, u"ID2099010100000000"), -104);
    // In the table but not in the (search) index.
    ASSERT_EQ(RebuildActionIndex(*T().userData, index, u"f_nchStaDateTime < '2010/11/14'"), S_OK);
    EXPECT_EQ(FindActionInIndex(*T().userData, index, a), -1);
}

TEST_F(ActionIndexTest, OddTextsAreHeldExactly) {
    ActionIndex index;
    index.Append(u"ID\u00e9xxxxxxxxxxxxxxx", u"2010/11/14 08:00:00");
    index.Append(u"ID0000000000000000", u"");
    index.InsertAt(1, u"short", u"2010/11/14 08:00:00");
    ASSERT_EQ(index.count(), 3);
    EXPECT_EQ(index.IdAt(0), u"ID\u00e9xxxxxxxxxxxxxxx");
    EXPECT_EQ(index.IdAt(1), u"short");
    EXPECT_EQ(index.StartAt(2), u"");
    EXPECT_EQ(index.FindId(u"short"), 1);
    index.RemoveAt(0);
    EXPECT_EQ(index.IdAt(0), u"short");
}

TEST_F(ActionIndexTest, RefreshAfterRandomEditsEqualsRebuild) {
    std::mt19937 rng(7);
    SeedRandom(3);
    auto startText = [&] {
        return FormatText("2010/11/%02d %02d:%02d:00", 1 + static_cast<int>(rng() % 5), static_cast<int>(rng() % 3),
                          static_cast<int>(rng() % 2) * 30);
    };
    ActionIndex index, rebuilt;
    std::vector<std::u16string> ids;
    for (int step = 0; step < 300; ++step) {
        int kind = ids.empty() ? 0 : static_cast<int>(rng() % 3);
        std::u16string id;
        if (kind == 0) {
            ActionRecord r = MakeAction(ToUtf8(startText()).c_str(), "2099/01/01 00:00:00", rng() % 2 ? "x" : "y");
            // Some imports keep a taken identifier.
            if (!ids.empty() && rng() % 10 == 0) r[ActionField::ActId] = ids[rng() % ids.size()];
            ASSERT_EQ(T().userData->InsertAction(r), S_OK);
            id = *r[ActionField::ActId];
            ids.push_back(id);
        } else if (kind == 1) {
            id = ids[rng() % ids.size()];
            ActionRecord r;
            if (T().userData->ReadActionById(id, r) != S_OK) continue;
            r[ActionField::StaDateTime] = startText();
            r[ActionField::Subject] = rng() % 2 ? u"x" : u"y";
            ASSERT_TRUE(SUCCEEDED(T().userData->UpdateAction(r)));
        } else {
            id = ids[rng() % ids.size()];
            ASSERT_EQ(T().userData->DeleteAction(id), S_OK);
        }
        // The second half runs with a search active; a change of condition rebuilds.
        std::u16string condition = step >= 150 ? u"f_nvcSubject = 'x'" : u"";
        if (step == 150) {
            ASSERT_EQ(RebuildActionIndex(*T().userData, index, condition), S_OK);
        }
        ASSERT_EQ(RefreshIndexAfterSave(*T().userData, index, id, condition), S_OK);
        ASSERT_EQ(RebuildActionIndex(*T().userData, rebuilt, condition), S_OK);
        ASSERT_TRUE(index == rebuilt) << "step " << step;
    }
}

// Moves, inserts and removals after a lookup keep every identifier findable at its
// place, packed or held outside.
TEST_F(ActionIndexTest, LookupsStayRightAfterMoves) {
    ActionIndex index;
    std::vector<std::u16string> ids, starts;
    for (int i = 0; i < 40; ++i) {
        ids.push_back(FormatText("ID20101114080000%02d", i));
        starts.push_back(FormatText("2010/11/14 08:%02d:00", i));
        index.Append(ids.back(), starts.back());
    }
    ASSERT_EQ(index.FindId(ids[5]), 5); // the first lookup hashes the identifiers
    auto move = [&](size_t from, size_t to, std::u16string id) {
        ids.erase(ids.begin() + static_cast<long>(from));
        starts.erase(starts.begin() + static_cast<long>(from));
        ids.insert(ids.begin() + static_cast<long>(to), id);
        starts.insert(starts.begin() + static_cast<long>(to), u"2010/11/14 09:00:00");
        index.MoveTo(static_cast<long long>(from), static_cast<long long>(to), id, u"2010/11/14 09:00:00");
    };
    move(3, 30, ids[3]);
    move(35, 1, u"ID20101114080000xx");
    move(7, 7, u"ID\u00e9odd");
    index.InsertAt(10, u"ID2099010100000000", u"2099/01/01 00:00:00");
    ids.insert(ids.begin() + 10, u"ID2099010100000000");
    starts.insert(starts.begin() + 10, u"2099/01/01 00:00:00");
    index.RemoveAt(20);
    ids.erase(ids.begin() + 20);
    starts.erase(starts.begin() + 20);
    ASSERT_EQ(index.count(), static_cast<long long>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(index.IdAt(static_cast<long long>(i)), ids[i]);
        EXPECT_EQ(index.StartAt(static_cast<long long>(i)), starts[i]);
        EXPECT_EQ(index.FindId(ids[i]), static_cast<long long>(i)) << ToUtf8(ids[i]);
    }
    EXPECT_EQ(index.FindId(u"ID2000010100000000"), -1);
    EXPECT_EQ(index.FindAllIds(ids[12]), std::vector<long long>{12});
    // The place of a pair among sorted entries, with and without one entry left out.
    ActionIndex sorted;
    for (const char16_t* id : {u"ID20101114080000a", u"ID20101114080000b", u"ID20101114080000c"})
        sorted.Append(id, u"2010/11/14 08:00:00");
    sorted.Append(u"ID2010111409000000", u"2010/11/14 09:00:00");
    EXPECT_EQ(sorted.UpperPosition(u"2010/11/14 08:00:00", u"ID20101114080000b"), 2);
    EXPECT_EQ(sorted.UpperPosition(u"2010/11/14 08:00:00", u"ID20101114080000b", 0), 1);
    EXPECT_EQ(sorted.UpperPosition(u"2010/11/14 08:00:00", u"ID20101114080000b", 3), 2);
    EXPECT_EQ(sorted.UpperPosition(u"2010/11/14 08:30:00", u"ID0"), 3);
    EXPECT_EQ(sorted.UpperPosition(u"2099/12/31 00:00:00", u"ID0", 1), 3);
}
