// The month view: the grid's first day and counts, the day list's lines, the label,
// the layout in both shapes, taps and holds on the grid and on the day list.
#include "views/MonthView.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>

namespace {

using Lines = std::vector<std::string>;

std::string CellText(const MonthCell& c) {
    return ToUtf8(FormatText("%04d/%02d/%02d", c.year, c.month, c.day));
}

class MonthView : public MainWndFixture {
protected:
    Lines DayLines() const {
        Lines lines;
        QListWidget* list = window->findChild<QListWidget*>("id1072");
        for (int i = 0; i < list->count(); ++i)
            lines.push_back(list->item(i)->text().toStdString());
        return lines;
    }
    QPoint CellCentre(int cell) const { return window->monthView().CellRect(cell).center(); }
};

TEST_F(MonthView, GridStartsOnTheSundayBeforeTheFirst) {
    Insert({{"2010/07/25 10:00:00", "2010/07/25 11:00:00"},
            {"2010/07/31 10:00:00", "2010/08/02 11:00:00"}, // counts on its start only
            {"2010/08/01 09:00:00", "2010/08/01 10:00:00"},
            {"2010/08/01 12:00:00", "2010/08/01 13:00:00"},
            {"2010/08/31 12:00:00", "2010/08/31 13:00:00"},
            {"2010/09/04 12:00:00", "2010/09/04 13:00:00"},
            {"2010/09/20 12:00:00", "2010/09/20 13:00:00"}});
    MonthGrid grid;
    // August 2010 begins on a Sunday: the first row is the whole week before.
    PrepareMonthGrid(app.actionIndex, 2010, 8, grid);
    EXPECT_EQ(CellText(grid.cells[0]), "2010/07/25");
    EXPECT_EQ(CellText(grid.cells[7]), "2010/08/01");
    EXPECT_EQ(CellText(grid.cells[41]), "2010/09/04");
    EXPECT_EQ(grid.cells[0].count, 1);
    EXPECT_EQ(grid.cells[6].count, 1);
    EXPECT_EQ(grid.cells[7].count, 2);
    EXPECT_EQ(grid.cells[8].count, 0);
    EXPECT_EQ(grid.cells[41].count, 1);
    EXPECT_FALSE(grid.cells[6].inMonth);
    EXPECT_TRUE(grid.cells[7].inMonth);
    EXPECT_TRUE(grid.cells[37].inMonth); // 08/31
    EXPECT_FALSE(grid.cells[38].inMonth);
    // Grey cells show their counts but leave the month's total alone.
    EXPECT_EQ(grid.total, 3);
    // May 2010 begins on a Saturday: six days before it.
    PrepareMonthGrid(app.actionIndex, 2010, 5, grid);
    EXPECT_EQ(CellText(grid.cells[0]), "2010/04/25");
    EXPECT_EQ(CellText(grid.cells[6]), "2010/05/01");
    EXPECT_EQ(grid.total, 0);
    EXPECT_EQ(MonthCellOf(grid, {2010, 5, 31}), 36);
    EXPECT_EQ(MonthCellOf(grid, {2010, 7, 1}), -1);
    // An empty index counts nothing; the earliest month has its grid too.
    ActionIndex none;
    PrepareMonthGrid(none, 1900, 1, grid);
    EXPECT_EQ(CellText(grid.cells[0]), "1899/12/31");
    EXPECT_EQ(grid.total, 0);
}

TEST(MonthDayLine, Texts) {
    auto line = [](const char* start, const char* end, int mode, const char* memo) {
        return ToUtf8(
            MonthDayLineText(FromUtf8(start), FromUtf8(end), u"2010/11/14", mode, u"駅", u"移動", FromUtf8(memo)));
    };
    EXPECT_EQ(line("2010/11/14 08:00:00", "2010/11/14 09:30:00", 1, "朝"), "08:00-09:30 駅::移動::朝");
    EXPECT_EQ(line("2010/11/14 00:00:00", "2010/11/15 24:00:00", 2, ""), "11/14-11/15 駅::移動::");
    EXPECT_EQ(line("2010/11/14 22:00:00", "2010/11/15 02:00:00", 2, ""), "22:00-11/15 駅::移動::");
    EXPECT_EQ(line("2010/11/14 22:00:00", "2010/11/15 02:00:00", 1, ""), "22:00-02:00 駅::移動::");
    // The memo loses its line breaks and is cut to twenty characters.
    EXPECT_EQ(line("2010/11/14 08:00:00", "2010/11/14 09:00:00", 1, "一二三四五六七八九十\r\n一二三四五六七八九十あ"),
              "08:00-09:00 駅::移動::一二三四五六七八九十一二三四五六七八九十...");
    EXPECT_EQ(line("2010/11/14 08:00:00", "2010/11/14 09:00:00", 1, "12345678901234567890"),
              "08:00-09:00 駅::移動::12345678901234567890");
    // A character outside the basic plane counts once and is never split.
    EXPECT_EQ(line("2010/11/14 08:00:00", "2010/11/14 09:00:00", 1, "1234567890123456789𠀋x"),
              "08:00-09:00 駅::移動::1234567890123456789𠀋...");
}

TEST_F(MonthView, LabelDayListAndLayout) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:30:00", "会社", "仕事", "朝会"},
            {"2010/11/14 12:00:00", "2010/11/14 13:00:00", "店", "食事", "ランチ"},
            {"2010/11/03 12:00:00", "2010/11/03 13:00:00"},
            {"2010/12/01 12:00:00", "2010/12/01 13:00:00"}});
    app.selectedActionId = app.actionIndex.IdAt(2);
    CMainWnd& w = Window(3);
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "2010/11/14 - 3(4)");
    EXPECT_EQ(DayLines(), (Lines{"08:00-09:30 会社::仕事::朝会", "12:00-13:00 店::食事::ランチ", "<新規作成>"}));
    QListWidget* list = w.findChild<QListWidget*>("id1072");
    EXPECT_TRUE(list->item(1)->isSelected());
    EXPECT_FALSE(list->item(0)->isSelected());
    // Portrait: the grid spans the width, the list below it.
    QRect last = w.monthView().CellRect(41);
    EXPECT_GT(list->geometry().top(), last.bottom());
    EXPECT_LE(last.right(), w.width());
    EXPECT_EQ(w.findChild<QLabel*>("id1063")->geometry().left(), 0);
    // Landscape: the grid at the right, the list beside it.
    w.resize(640, 400);
    QRect first = w.monthView().CellRect(0);
    EXPECT_GT(first.left(), list->geometry().right());
    EXPECT_EQ(w.findChild<QLabel*>("id1063")->geometry().left(), first.left() - 1);
    EXPECT_LE(w.monthView().CellRect(41).bottom(), w.height() - MenuBarHeight());
    // A month later.
    w.OnCommand(Cmd::NextDay);
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "2010/12/14 - 1(4)");
    EXPECT_EQ(DayLines(), (Lines{"<新規作成>"}));
}

TEST_F(MonthView, TapsAndHoldsOnTheGrid) {
    Insert({{"2010/11/20 08:00:00", "2010/11/20 09:00:00"}});
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 1;
    };
    CMainWnd& w = Window(3);
    const MonthGrid& grid = w.monthView().grid();
    int cell = MonthCellOf(grid, {2010, 11, 20});
    QTest::mouseClick(&w, Qt::LeftButton, {}, CellCentre(cell));
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 20}));
    EXPECT_EQ(DayLines().size(), 2u);
    // A grey cell of the next month moves the grid.
    QTest::mouseClick(&w, Qt::LeftButton, {}, CellCentre(41));
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 12, 11}));
    EXPECT_EQ(w.monthView().grid().month, 12);
    // A hold pops up menu 104; 開く selects the day and stays, 1日表示 shows the day view.
    QTest::mousePress(&w, Qt::RightButton, {}, CellCentre(3));
    QMenu* menu = w.monthView().cellMenu();
    ASSERT_TRUE(menu->isVisible());
    std::vector<std::string> items;
    for (QAction* a : menu->actions())
        items.push_back(a->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"新規作成...", "開く", "1日表示"}));
    menu->actions()[1]->trigger();
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 12, 1}));
    EXPECT_EQ(w.currentView(), 3);
    menu->actions()[0]->trigger();
    EXPECT_EQ(modes, std::vector<int>{EditDlgMode::New});
    QTest::mousePress(&w, Qt::RightButton, {}, CellCentre(10));
    menu->actions()[2]->trigger();
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 12, 8}));
    EXPECT_EQ(w.currentView(), 1);
    // MonViewTapOpeMode 2: a tap opens the day view.
    w.OnCommand(Cmd::ViewMonth);
    app.settings.MonViewTapOpeMode = 2;
    QTest::mouseClick(&w, Qt::LeftButton, {}, CellCentre(20));
    EXPECT_EQ(w.currentView(), 1);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 12, 18}));
}

TEST_F(MonthView, TapsAndHoldsOnTheDayList) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"},
            {"2010/11/14 10:00:00", "2010/11/14 11:00:00"},
            {"2010/11/14 12:00:00", "2010/11/14 13:00:00"}});
    std::vector<std::pair<int, long long>> opened;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        opened.push_back({mode, app.selectedPosition});
        return 1;
    };
    CMainWnd& w = Window(3);
    QListWidget* list = w.findChild<QListWidget*>("id1072");
    auto lineCentre = [&](int line) { return list->visualItemRect(list->item(line)).center(); };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, lineCentre(1));
    QApplication::processEvents();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::pair<int, long long>{EditDlgMode::Change, 1}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, lineCentre(3)); // "<新規作成>"
    QApplication::processEvents();
    EXPECT_EQ(opened.back().first, EditDlgMode::New);
    // A hold selects the held line alone and pops up the 編集 menu.
    list->item(0)->setSelected(true);
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, lineCentre(2));
    EXPECT_EQ(w.monthView().SelectedLines(), std::vector<int>{2});
    QMenu* edit = nullptr;
    for (QAction* a : w.menu()->actions())
        if (a->menu() && a->text() == QString::fromUtf16(u"編集")) edit = a->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isVisible());
    edit->hide();
    w.OnCommand(Cmd::EditCopy);
    EXPECT_EQ(opened.back(), (std::pair<int, long long>{EditDlgMode::Copy, 2}));
    // Delete takes every selected line but "<新規作成>".
    list->clearSelection();
    for (int line : {0, 1, 3})
        list->item(line)->setSelected(true);
    messages.Answer(IDYES);
    w.OnCommand(Cmd::EditDelete);
    EXPECT_EQ(messages.last().text, u"これらの 2 個のアクションを削除しますか？");
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(DayLines().size(), 2u);
    // Nothing selected.
    list->clearSelection();
    w.OnCommand(Cmd::EditChange);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(messages.last().caption, u"変更不可");
}

} // namespace
