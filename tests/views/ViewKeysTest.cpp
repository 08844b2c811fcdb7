// The arrow and Enter keys of the five views, sent to the window as a keyboard sends
// them (to whatever has the focus) after the user has clicked where a user would.
#include "core/Utf.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/Navigation.h"
#include "views/ViewHooks.h"
#include "views/WeekView.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

std::string Text(const ShownDate& d) {
    return ToUtf8(FormatText("%04d/%02d/%02d", d.year, d.month, d.day));
}

class ViewKeys : public MainWndFixture {
protected:
    CMainWnd& Open(int view) {
        CMainWnd& w = Window(view);
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
    }
    // Press and release through the window: the key goes to the focus widget.
    void Key(CMainWnd& w, Qt::Key key) {
        QTest::keyPress(w.windowHandle(), key);
        QTest::keyRelease(w.windowHandle(), key);
    }
    // Where the user clicked before pressing the key.
    void Click(CMainWnd& w, const char* where) {
        std::string place = where;
        if (place == "list") {
            QTreeWidget* list = w.listControl();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(0)).center());
        } else if (place == "month list") {
            QListWidget* list = w.findChild<QListWidget*>("id1072");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
        } else if (place == "next button") {
            QTest::mouseClick(w.findChild<QPushButton*>("id1059"), Qt::LeftButton);
            QTest::mouseClick(w.findChild<QPushButton*>("id1061"), Qt::LeftButton);
        } else if (place == "weekday") {
            QTest::mouseClick(w.findChild<QWidget*>("id1051"), Qt::LeftButton); // Sunday: 11/14 itself
        } else if (place == "background") {
            QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(w.width() - 5, w.height() / 2));
        } else if (place == "header") {
            QTest::mouseClick(w.findChild<QWidget*>("id1065"), Qt::LeftButton);
        } else if (place == "bar") {
            QTest::mouseClick(w.weekView().shownBars().at(0), Qt::LeftButton, {}, QPoint(2, 2));
        } else if (place == "calendar") {
            w.OnCommand(Cmd::DateLabel);
            emit w.calendar()->clicked(QDate(2010, 11, 14));
        } else if (place == "nothing") {
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        }
    }
};

TEST_F(ViewKeys, ArrowsMoveEveryViewWhereverTheFocusIs) {
    Insert({{"2010/11/14 09:00:00", "2010/11/14 10:00:00", "駅", "", "", "会議"}});
    ViewHooks().runEditDialog = [](CMainWnd&, int) { return 2; };
    struct Case {
        int view;
        const char* where;
        Qt::Key key;
        int days;
    } cases[] = {
        {1, "list", Qt::Key_Left, -1},       {1, "nothing", Qt::Key_Right, 1},    {1, "weekday", Qt::Key_Left, -1},
        {2, "background", Qt::Key_Left, -7}, {2, "background", Qt::Key_Right, 7}, {2, "bar", Qt::Key_Up, -1},
        {2, "next button", Qt::Key_Down, 1}, {2, "calendar", Qt::Key_Down, 1},    {2, "nothing", Qt::Key_Up, -1},
        {3, "month list", Qt::Key_Left, -1}, {3, "month list", Qt::Key_Right, 1}, {3, "month list", Qt::Key_Up, -7},
        {3, "month list", Qt::Key_Down, 7},  {3, "header", Qt::Key_Down, 7},      {3, "calendar", Qt::Key_Up, -7},
        {3, "nothing", Qt::Key_Left, -1},    {5, "nothing", Qt::Key_Right, 1},    {5, "weekday", Qt::Key_Left, -1},
    };
    for (const Case& c : cases) {
        app.shownDate = {2010, 11, 14};
        CMainWnd& w = Open(c.view);
        Click(w, c.where);
        ASSERT_EQ(Text(app.shownDate), "2010/11/14") << c.where;
        QTest::keyPress(w.windowHandle(), c.key);
        EXPECT_EQ(Text(app.shownDate), "2010/11/14") << "moved on press";
        QTest::keyRelease(w.windowHandle(), c.key);
        ShownDate expected{2010, 11, 14};
        AddDays(expected, c.days);
        EXPECT_EQ(Text(app.shownDate), Text(expected))
            << "view " << c.view << " after a click on " << c.where << " key " << c.key;
    }
}

TEST_F(ViewKeys, UpAndDownGoToTheListAndEnterOpensItsRow) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}, {"2010/11/14 10:00:00", "2010/11/14 11:00:00"}});
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 2;
    };
    CMainWnd& w = Open(1);
    QTreeWidget* list = w.listControl();
    for (const char* where : {"nothing", "weekday"}) {
        list->setCurrentItem(list->topLevelItem(0));
        Click(w, where);
        Key(w, Qt::Key_Down);
        EXPECT_EQ(list->currentItem(), list->topLevelItem(1)) << where;
        EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    }
    Click(w, "nothing");
    Key(w, Qt::Key_Return);
    EXPECT_EQ(modes, std::vector<int>{EditDlgMode::Change});
    EXPECT_EQ(app.selectedPosition, 1);
    // Arrows in the calendar popup stay the calendar's.
    Click(w, "calendar");
    w.OnCommand(Cmd::DateLabel);
    ASSERT_EQ(w.popupState(), 11);
    Key(w, Qt::Key_Right);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    EXPECT_EQ(w.calendar()->selectedDate(), QDate(2010, 11, 15));
    // The list view's Left and Right turn its pages, whatever has the focus.
    app.settings.SeqViewRng = 1;
    w.OnCommand(Cmd::ViewList);
    Click(w, "nothing");
    Key(w, Qt::Key_Right);
    EXPECT_EQ(app.listPage, 1);
    Click(w, "list");
    Key(w, Qt::Key_Left);
    EXPECT_EQ(app.listPage, 0);
}

} // namespace
