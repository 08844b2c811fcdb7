// The week view: lanes and duplicate counts of overlapping actions, the bars' places,
// the week's read through the index, taps and holds on bars and background, errors.
#include "views/WeekView.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QLabel>
#include <QMenu>
#include <QTest>

#include <sqlite3.h>

namespace {

DateValue At(const char* text) {
    int y, mo, d, h, mi, s;
    std::sscanf(text, "%d/%d/%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    return DateValue::FromFields(y, mo, d, h, mi, s);
}

WeekData Week(std::initializer_list<std::pair<const char*, const char*>> periods) {
    WeekData data;
    for (auto [start, end] : periods) {
        WeekEntry e;
        e.start = At(start);
        e.end = At(end);
        data.entries.push_back(e);
    }
    CalcWeekRepetition(data, At("2010/11/11 00:00:00"));
    return data;
}

std::vector<std::array<int, 3>> RowLaneDup(const WeekData& data) {
    std::vector<std::array<int, 3>> out;
    for (const WeekEntry& e : data.entries)
        out.push_back({e.row, e.lane, e.dup});
    return out;
}

using Triples = std::vector<std::array<int, 3>>;

TEST(WeekRepetition, LanesAndDuplicateCounts) {
    // Two overlapping actions: the first's end lies in the second, the second's start in the first.
    WeekData two =
        Week({{"2010/11/14 09:00:00", "2010/11/14 11:00:00"}, {"2010/11/14 10:00:00", "2010/11/14 12:00:00"}});
    EXPECT_EQ(RowLaneDup(two), (Triples{{3, 0, 2}, {3, 1, 2}}));
    EXPECT_EQ(two.rownum[3], 2);
    // Back to back: strict comparisons, no overlap.
    WeekData chain = Week({{"2010/11/14 09:00:00", "2010/11/14 10:00:00"},
                           {"2010/11/14 10:00:00", "2010/11/14 11:00:00"},
                           {"2010/11/14 11:00:00", "2010/11/14 12:00:00"}});
    EXPECT_EQ(RowLaneDup(chain), (Triples{{3, 0, 1}, {3, 0, 1}, {3, 0, 1}}));
    // The same times on different days never meet.
    WeekData days =
        Week({{"2010/11/11 09:00:00", "2010/11/11 11:00:00"}, {"2010/11/17 09:00:00", "2010/11/17 11:00:00"}});
    EXPECT_EQ(RowLaneDup(days), (Triples{{0, 0, 1}, {6, 0, 1}}));
    EXPECT_EQ(days.rownum, (std::array<int, 7>{1, 0, 0, 0, 0, 0, 1}));
    // A third inside both takes the lane above the lanes its start lies in.
    WeekData three = Week({{"2010/11/14 09:00:00", "2010/11/14 12:00:00"},
                           {"2010/11/14 10:00:00", "2010/11/14 12:00:00"},
                           {"2010/11/14 10:30:00", "2010/11/14 11:00:00"}});
    // The design's counts: the outer one's start lies in neither other, its end in one.
    EXPECT_EQ(RowLaneDup(three), (Triples{{3, 0, 2}, {3, 1, 2}, {3, 2, 3}}));
    EXPECT_EQ(three.rownum[3], 3);
    // An invalid end compares as neither less nor greater: the first still starts inside
    // the second (whose lane 0 it steps over), the second's end meets nothing.
    WeekData invalid =
        Week({{"2010/11/14 09:00:00", "2010/11/14 99:00:00"}, {"2010/11/14 08:00:00", "2010/11/14 10:00:00"}});
    EXPECT_EQ(RowLaneDup(invalid), (Triples{{3, 1, 2}, {3, 0, 1}}));
}

TEST(WeekRepetition, BarPlaces) {
    WeekData data = Week({{"2010/11/14 22:00:00", "2010/11/14 23:59:59"},
                          {"2010/11/14 06:00:00", "2010/11/14 12:00:00"},
                          {"2010/11/15 22:00:00", "2010/11/16 02:00:00"},
                          {"2010/11/16 12:00:00", "2010/11/16 12:00:00"}});
    // left 30, right 750: 30 pixels an hour; rows of 40 from 50.
    BarRect late = WeekBarRect(data.entries[0], data, 30, 750, 50, 40);
    EXPECT_EQ(late.x, 30 + 660);
    EXPECT_EQ(late.x + late.width, 30 + 719); // 23:59:59 reaches almost the edge
    EXPECT_EQ(late.y, 50 + 3 * 40);
    EXPECT_EQ(late.height, 40);
    BarRect morning = WeekBarRect(data.entries[1], data, 30, 750, 50, 40);
    EXPECT_EQ(QRect(morning.x, morning.y, morning.width, morning.height), QRect(210, 170, 180, 40));
    // Past midnight: drawn to the row's end.
    BarRect night = WeekBarRect(data.entries[2], data, 30, 750, 50, 40);
    EXPECT_EQ(night.x + night.width, 750);
    EXPECT_EQ(night.y, 50 + 4 * 40);
    // Zero length: still 2 pixels to tap.
    EXPECT_EQ(WeekBarRect(data.entries[3], data, 30, 750, 50, 40).width, 2);
    // A row without lanes or a bar without dup is not drawn.
    WeekEntry stray = data.entries[1];
    stray.dup = 0;
    EXPECT_FALSE(WeekBarRect(stray, data, 30, 750, 50, 40).shown);
}

class WeekView : public MainWndFixture {
protected:
    void InsertWeek() {
        // ShownDate 2010/11/14: the week runs 11/11 … 11/17.
        Insert({{"2010/11/10 09:00:00", "2010/11/10 10:00:00", "", "", "", "前の週"},
                {"2010/11/11 00:00:00", "2010/11/11 24:00:00", "", "", "", "終日"},
                {"2010/11/14 09:00:00", "2010/11/14 11:00:00", "", "", "", "会議"},
                {"2010/11/14 10:00:00", "2010/11/14 12:00:00", "", "", "", "来客"},
                {"2010/11/17 22:00:00", "2010/11/19 08:00:00", "", "", "", "出張"},
                {"2010/11/18 09:00:00", "2010/11/18 10:00:00", "", "", "", "次の週"}});
    }
    std::vector<std::string> BarTexts() {
        std::vector<std::string> texts;
        for (CWeekBar* bar : window->weekView().shownBars())
            texts.push_back(bar->text().toStdString());
        return texts;
    }
};

TEST_F(WeekView, ReadsTheSevenDaysAroundShownDate) {
    InsertWeek();
    CMainWnd& w = Window(2);
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "2010/11/11"); // the week's start
    EXPECT_EQ(BarTexts(), (std::vector<std::string>{"終日", "会議", "来客", "出張"}));
    const WeekData& data = w.weekView().data();
    EXPECT_EQ(data.entries[0].position, 1);
    EXPECT_EQ(data.entries[3].row, 6); // starts on the last day, ends after the week
    std::vector<CWeekBar*> bars = w.weekView().shownBars();
    EXPECT_EQ(bars[0]->objectName().toStdString(), "id10000");
    EXPECT_EQ(bars[3]->objectName().toStdString(), "id10003");
    // Half-row bars for the overlapping pair, the second below the first.
    EXPECT_EQ(bars[1]->height(), bars[2]->height());
    EXPECT_EQ(bars[2]->y(), bars[1]->y() + bars[1]->height());
    EXPECT_EQ(bars[0]->height(), 2 * bars[1]->height() + (bars[0]->height() % 2));
    // The all-day bar spans the day; the past-midnight bar reaches the right edge.
    EXPECT_EQ(bars[0]->x(), ScaleByDpi(20));
    EXPECT_GE(bars[0]->geometry().right(), w.width() - 2);
    EXPECT_EQ(bars[3]->geometry().right(), w.width() - 1);
    // A week further on reuses the pool.
    w.OnCommand(Cmd::NextWeek);
    EXPECT_EQ(BarTexts(), (std::vector<std::string>{"次の週"}));
    EXPECT_EQ(messages.count(), 0u);
    // Leaving the view hides the bars.
    w.OnCommand(Cmd::ViewDay);
    EXPECT_TRUE(w.weekView().shownBars().empty());
}

TEST_F(WeekView, TapOpensTheBarsActionAndHoldPopsUpItsMenu) {
    InsertWeek();
    std::vector<std::pair<int, long long>> opened;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        opened.push_back({mode, app.selectedPosition});
        return 1;
    };
    CMainWnd& w = Window(2);
    CWeekBar* meeting = w.weekView().shownBars()[1];
    QTest::mouseClick(meeting, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::pair<int, long long>{EditDlgMode::Change, 2}));
    EXPECT_EQ(app.selectedActionId, app.actionIndex.IdAt(2));
    // Hold on the last bar: selects it, moves ShownDate to its start and pops up menu 106.
    CWeekBar* trip = w.weekView().shownBars()[3];
    QTest::mousePress(trip, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(trip, Qt::RightButton, {}, QPoint(3, 3));
    QMenu* menu = w.weekView().barMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 17}));
    std::vector<std::string> items;
    for (QAction* a : menu->actions())
        items.push_back(a->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"新規作成...", "変更...", "参照...", "後続...", "削除"}));
    menu->actions()[3]->trigger(); // 後続
    EXPECT_EQ(opened.back(), (std::pair<int, long long>{EditDlgMode::Follow, 4}));
    menu->hide();
    // Its 削除 asks the one-action question and deletes that action.
    QTest::mousePress(w.weekView().shownBars()[0], Qt::RightButton, {}, QPoint(3, 3));
    std::u16string id = w.weekView().data().entries[static_cast<size_t>(0)].id;
    messages.Answer(IDYES);
    w.weekView().barMenu()->actions()[4]->trigger();
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_EQ(app.actionIndex.FindId(id), -1);
    ActionRecord gone;
    EXPECT_EQ(OpenTables()->userData->ReadActionById(id, gone), DB_E_NOTFOUND);
    w.weekView().barMenu()->hide();
    // A hold on the background pops up menu 105; its 1日表示 shows the held row's day.
    app.shownDate = {2010, 11, 14};
    w.RefillView();
    int rowTop = w.findChild<QLabel*>("id1050")->geometry().bottom() + 1;
    int rowHeight = (w.height() - MenuBarHeight() - rowTop) / 7;
    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(5, rowTop + 5 * rowHeight + rowHeight / 2));
    EXPECT_TRUE(w.weekView().backgroundMenu()->isVisible());
    w.weekView().backgroundMenu()->actions()[1]->trigger();
    EXPECT_EQ(w.currentView(), 1);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 16}));
}

TEST_F(WeekView, AFailedReadShowsItsMessageAndKeepsTheWindow) {
    InsertWeek();
    CMainWnd& w = Window(1);
    ASSERT_EQ(sqlite3_exec(OpenTables()->db, "drop table t_UserData", nullptr, nullptr, nullptr), SQLITE_OK);
    w.OnCommand(Cmd::ViewWeek);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("CMainWnd::DbReadWeekData Select Err (ln=4301, hr=", 0), 0u);
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_TRUE(w.weekView().shownBars().empty());
    EXPECT_TRUE(w.isVisible());
}

} // namespace
