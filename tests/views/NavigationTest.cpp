// Navigation of the five views: the buttons of the date strip, the weekday buttons,
// and the list view's pages, through CMainWnd::OnCommand.
#include "views/Navigation.h"
#include "core/Utf.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/WeekdayButton.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

std::string Text(const ShownDate& d) {
    return ToUtf8(FormatText("%04d/%02d/%02d", d.year, d.month, d.day));
}

TEST(Navigation, DateArithmetic) {
    struct Case {
        ShownDate from;
        void (*move)(ShownDate&);
        ShownDate to;
    } cases[] = {
        {{1900, 1, 15}, PreviousMonth, {1900, 1, 15}}, // not below 1900
        {{1901, 1, 15}, PreviousMonth, {1900, 12, 15}},
        {{2010, 3, 31}, PreviousMonth, {2010, 2, 28}},
        {{2012, 3, 30}, PreviousMonth, {2012, 2, 29}},
        {{2010, 12, 31}, NextMonth, {2011, 1, 31}},
        {{2010, 1, 31}, NextMonth, {2010, 2, 28}},
        {{9999, 12, 1}, NextMonth, {9999, 12, 1}},
        {{1900, 6, 1}, PreviousYear, {1900, 6, 1}},
        {{2012, 2, 29}, PreviousYear, {2011, 2, 28}},
        {{2012, 2, 29}, NextYear, {2013, 2, 28}},
        {{2010, 12, 31}, [](ShownDate& d) { AddDays(d, 1); }, {2011, 1, 1}},
        {{2010, 3, 1}, [](ShownDate& d) { AddDays(d, -1); }, {2010, 2, 28}},
        {{1900, 1, 1}, [](ShownDate& d) { AddDays(d, -1); }, {1900, 1, 1}},
        {{1900, 1, 5}, [](ShownDate& d) { AddDays(d, -7); }, {1900, 1, 5}},
        {{9999, 12, 31}, [](ShownDate& d) { AddDays(d, 1); }, {9999, 12, 31}},
        {{2010, 11, 17}, [](ShownDate& d) { MoveToWeekday(d, 1); }, {2010, 11, 14}}, // 日 on a Wednesday
        {{2010, 11, 17}, [](ShownDate& d) { MoveToWeekday(d, 7); }, {2010, 11, 20}},
        {{2010, 11, 14}, [](ShownDate& d) { MoveToWeekday(d, 1); }, {2010, 11, 14}},
        {{2010, 11, 13}, [](ShownDate& d) { MoveToWeekday(d, 1); }, {2010, 11, 7}},
    };
    int n = 0;
    for (const auto& c : cases) {
        ShownDate d = c.from;
        c.move(d);
        EXPECT_EQ(Text(d), Text(c.to)) << "case " << n++;
    }
}

using ViewNavigation = MainWndFixture;

TEST_F(ViewNavigation, ButtonsOfEachView) {
    struct Case {
        int view;
        ShownDate from;
        int command;
        ShownDate to;
    } cases[] = {
        {1, {2010, 11, 14}, Cmd::PrevDay, {2010, 11, 13}},    {1, {2010, 11, 14}, Cmd::NextDay, {2010, 11, 15}},
        {1, {2010, 11, 14}, Cmd::PrevWeek, {2010, 11, 7}},    {1, {2010, 11, 14}, Cmd::NextWeek, {2010, 11, 21}},
        {1, {2001, 1, 1}, Cmd::Today, {2010, 11, 17}},        {1, {2001, 1, 1}, Cmd::ViewToday, {2010, 11, 17}},
        {2, {2010, 11, 1}, Cmd::PrevDay, {2010, 10, 31}},     {2, {2010, 12, 28}, Cmd::NextWeek, {2011, 1, 4}},
        {2, {2001, 1, 1}, Cmd::Today, {2010, 11, 17}},        {3, {1900, 1, 20}, Cmd::PrevDay, {1900, 1, 20}},
        {3, {2010, 1, 31}, Cmd::PrevDay, {2009, 12, 31}},     {3, {2010, 12, 31}, Cmd::NextDay, {2011, 1, 31}},
        {3, {2010, 10, 31}, Cmd::NextDay, {2010, 11, 30}},    {3, {1900, 5, 2}, Cmd::PrevWeek, {1900, 5, 2}},
        {3, {2010, 5, 2}, Cmd::PrevWeek, {2009, 5, 2}},       {3, {2010, 5, 2}, Cmd::NextWeek, {2011, 5, 2}},
        {3, {2001, 1, 1}, Cmd::Today, {2010, 11, 17}},        {5, {2010, 11, 14}, Cmd::PrevDay, {2010, 11, 13}},
        {5, {2010, 11, 14}, Cmd::NextWeek, {2010, 11, 21}},   {5, {2010, 11, 14}, Cmd::WeekdaySat, {2010, 11, 20}},
        {1, {2010, 11, 17}, Cmd::WeekdaySun, {2010, 11, 14}}, {2, {2010, 11, 17}, Cmd::WeekdaySun + 3, {2010, 11, 17}},
    };
    for (const auto& c : cases) {
        app.shownDate = c.from;
        CMainWnd& w = Window(c.view);
        w.OnCommand(c.command);
        EXPECT_EQ(Text(app.shownDate), Text(c.to))
            << "view " << c.view << " from " << Text(c.from) << " cmd " << c.command;
        EXPECT_EQ(w.currentView(), c.view);
    }
}

TEST_F(ViewNavigation, ListViewPages) {
    std::vector<std::string> starts;
    for (int i = 0; i < 45; ++i) {
        // One action a day from 2010/10/01 on.
        ShownDate d{2010, 10, 1};
        AddDays(d, i);
        starts.push_back(Text(d) + " 10:00:00");
    }
    for (const std::string& s : starts) {
        std::string end = s.substr(0, 11) + "11:00:00";
        Insert({{s.c_str(), end.c_str()}});
    }
    app.settings.SeqViewRng = 20;
    app.shownDate = {2010, 11, 14}; // position 44 (the newest) starts on 11/14: first one after 24:00 is none
    CMainWnd& w = Window(4);
    EXPECT_EQ(app.listPage, 0);
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "1/3 - 45");
    struct Step {
        int command;
        int page;
    } steps[] = {{Cmd::PrevDay, 0},  {Cmd::NextDay, 1},  {Cmd::NextDay, 2}, {Cmd::NextDay, 2},
                 {Cmd::PrevWeek, 0}, {Cmd::NextWeek, 2}, {Cmd::PrevDay, 1}, {Cmd::Today, 0}};
    for (const auto& s : steps) {
        w.OnCommand(s.command);
        EXPECT_EQ(app.listPage, s.page) << "command " << s.command;
    }
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "1/3 - 45");
    // Switching to the list view opens the page holding the first action after the day:
    // 2010/10/05 24:00 is followed by position 5, on page (44 − 5) / 20 = 1.
    w.OnCommand(Cmd::ViewDay);
    app.shownDate = {2010, 10, 5};
    w.OnCommand(Cmd::ViewList);
    EXPECT_EQ(app.listPage, 1);
    EXPECT_EQ(LastListPage(45, 20), 2);
    EXPECT_EQ(LastListPage(40, 20), 1);
    EXPECT_EQ(LastListPage(0, 20), 0);
    // The list view steps pages with "|<" and ">|".
    EXPECT_EQ(w.findChild<QPushButton*>("id1062")->text().toStdString(), "|<");
    w.OnCommand(Cmd::ViewDay);
    EXPECT_EQ(w.findChild<QPushButton*>("id1062")->text(), QString::fromUtf16(u"《"));
}

TEST_F(ViewNavigation, ListViewWithoutActions) {
    CMainWnd& w = Window(4);
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "0/0 - 0");
    w.OnCommand(Cmd::NextDay);
    w.OnCommand(Cmd::NextWeek);
    EXPECT_EQ(app.listPage, 0);
    w.OnCommand(Cmd::DateLabel);
    EXPECT_EQ(w.popupState(), 10);
    EXPECT_EQ(w.pageSelector()->count(), 0);
}

TEST_F(ViewNavigation, WeekdayButtonsShowShownDate) {
    app.shownDate = {2010, 11, 17};
    CMainWnd& w = Window(1);
    for (int k = 0; k < 7; ++k) {
        auto* button = w.findChild<CWeekdayButton*>(QStringLiteral("id%1").arg(1051 + k));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isCurrent(), k == 3) << k;
        EXPECT_EQ(button->BackgroundColor(), k == 3 ? QColor(255, 255, 255) : QColor(192, 192, 224));
        EXPECT_EQ(button->TextColor(), k == 0 ? QColor(255, 0, 0) : k == 6 ? QColor(0, 0, 255) : QColor(0, 0, 0));
    }
    QTest::mouseClick(w.findChild<CWeekdayButton*>("id1052"), Qt::LeftButton);
    EXPECT_EQ(Text(app.shownDate), "2010/11/15");
    EXPECT_TRUE(w.findChild<CWeekdayButton*>("id1052")->isCurrent());
    // Month and list views hide the weekday buttons.
    w.OnCommand(Cmd::ViewMonth);
    EXPECT_FALSE(w.findChild<CWeekdayButton*>("id1052")->isVisible());
    w.OnCommand(Cmd::ViewMap);
    EXPECT_TRUE(w.findChild<CWeekdayButton*>("id1052")->isVisible());
}

} // namespace
