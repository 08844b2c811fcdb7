// The list view: pages newest first, the label with and without a search, the row
// texts, the "<新規作成>" row, page size from the list's height, opening rows.
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/ListViewData.h"
#include "views/MainWnd.h"
#include "views/Navigation.h"
#include "views/ViewHooks.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

using Rows = std::vector<std::string>;

TEST(ListRow, TheThreeForms) {
    auto row = [](const char* start, const char* end, int mode) {
        return ToUtf8(ListRowText(FromUtf8(start), FromUtf8(end), mode, u"駅", u"移動", u"朝\r\n晩"));
    };
    EXPECT_EQ(row("2010/11/14 08:00:00", "2010/11/14 09:30:00", 1), "2010/11/14 08:00-09:30 駅:移動:朝晩");
    EXPECT_EQ(row("2010/11/14 00:00:00", "2010/11/16 24:00:00", 1), "2010/11/14-11/16 駅:移動:朝晩");
    EXPECT_EQ(row("2010/11/14 22:00:00", "2010/11/15 02:00:00", 2), "2010/11/14 22:00-11/15 駅:移動:朝晩");
    EXPECT_EQ(row("2010/11/14 22:00:00", "2010/11/15 02:00:00", 1), "2010/11/14 22:00-02:00 駅:移動:朝晩");
    EXPECT_EQ(ToUtf8(ListViewLabel(0, 20, 45, 45)), "1/3 - 45");
    EXPECT_EQ(ToUtf8(ListViewLabel(0, 20, 3, 45)), "1/1 - 3(45)");
    EXPECT_EQ(ToUtf8(ListViewLabel(0, 20, 0, 0)), "0/0 - 0");
    EXPECT_EQ(ToUtf8(ListViewLabel(0, 20, 0, 7)), "0/0 - 0(7)");
}

class ListView : public MainWndFixture {
protected:
    // One action a day from 2010/10/01 on, the place numbering them from 1.
    void InsertDays(int count) {
        std::vector<std::string> texts;
        texts.reserve(4 * static_cast<size_t>(count));
        std::vector<TestAction> actions;
        for (int i = 0; i < count; ++i) {
            ShownDate d{2010, 10, 1};
            AddDays(d, i);
            std::string day = ToUtf8(FormatText("%04d/%02d/%02d", d.year, d.month, d.day));
            texts.push_back(day + " 10:00:00");
            texts.push_back(day + " 11:00:00");
            texts.push_back(std::to_string(i + 1));
            size_t k = texts.size() - 3;
            actions.push_back({texts[k].c_str(), texts[k + 1].c_str(), texts[k + 2].c_str(), "散歩", "公園"});
        }
        Insert(actions);
    }
    std::string Label() const { return window->findChild<QLabel*>("id1050")->text().toStdString(); }
};

TEST_F(ListView, PagesNewestFirst) {
    InsertDays(45);
    app.settings.SeqViewRng = 20;
    app.shownDate = {2010, 11, 14};
    CMainWnd& w = Window(4);
    EXPECT_EQ(Label(), "1/3 - 45");
    Rows rows = Column(0);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[0], "2010/11/14 10:00-11:00 45:散歩:公園");
    EXPECT_EQ(rows[19], "2010/10/26 10:00-11:00 26:散歩:公園");
    EXPECT_EQ(rows[20], "<新規作成>");
    EXPECT_EQ(w.listControl()->headerItem()->text(0).toStdString(), "アクション");
    EXPECT_EQ(w.listControl()->columnCount(), 2);
    EXPECT_EQ(w.findChild<QPushButton*>("id1062")->text().toStdString(), "|<");
    EXPECT_EQ(w.findChild<QPushButton*>("id1060")->text().toStdString(), ">|");
    // The last page holds the five oldest.
    w.OnCommand(Cmd::NextWeek);
    EXPECT_EQ(Label(), "3/3 - 45");
    EXPECT_EQ(Column(0), (Rows{"2010/10/05 10:00-11:00 5:散歩:公園", "2010/10/04 10:00-11:00 4:散歩:公園",
                               "2010/10/03 10:00-11:00 3:散歩:公園", "2010/10/02 10:00-11:00 2:散歩:公園",
                               "2010/10/01 10:00-11:00 1:散歩:公園", "<新規作成>"}));
    // Rows open their own actions: row r is position first − r.
    std::vector<std::pair<int, long long>> opened;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        opened.push_back({mode, app.selectedPosition});
        return 1;
    };
    w.listControl()->setCurrentItem(w.listControl()->topLevelItem(1));
    w.OnCommand(Cmd::EditChange);
    EXPECT_EQ(opened.back(), (std::pair<int, long long>{EditDlgMode::Change, 3}));
    EXPECT_EQ(app.selectedActionId, app.actionIndex.IdAt(3));
    // The refill after the dialog keeps the opened row selected.
    EXPECT_EQ(w.listControl()->currentItem(), w.listControl()->topLevelItem(1));
    w.listControl()->setCurrentItem(w.listControl()->topLevelItem(5));
    // "変更..." on the "<新規作成>" row opens the dialog for a new action.
    w.OnCommand(Cmd::EditChange);
    EXPECT_EQ(opened.back().first, EditDlgMode::New);
    // "・" goes to the page that holds today (2010/11/17: after the newest, page 0).
    w.OnCommand(Cmd::Today);
    EXPECT_EQ(Label(), "1/3 - 45");
    // Back to the other views the captions come back.
    w.OnCommand(Cmd::ViewWeek);
    EXPECT_EQ(w.findChild<QPushButton*>("id1062")->text().toStdString(), "《");
}

TEST_F(ListView, SearchNarrowsTheLabelAndEmptyShowsOnlyTheNewRow) {
    Window(4);
    EXPECT_EQ(Label(), "0/0 - 0");
    EXPECT_EQ(Column(0), (Rows{"<新規作成>"}));
    window.reset();
    InsertDays(45);
    app.searchCondition = u"f_nvcPlace in ('7', '8', '40')";
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition), S_OK);
    Window(4);
    EXPECT_EQ(Label(), "1/1 - 3(45)");
    EXPECT_EQ(Column(0)[0], "2010/11/09 10:00-11:00 40:散歩:公園");
}

TEST_F(ListView, PageSizeZeroFollowsTheListHeight) {
    InsertDays(45);
    app.settings.SeqViewRng = 0;
    CMainWnd& w = Window(4);
    int size = w.ListPageSize();
    EXPECT_GT(size, 3);
    EXPECT_LT(size, 45);
    EXPECT_EQ(Column(0).size(), static_cast<size_t>(size) + 1);
    EXPECT_EQ(Label(), ToUtf8(FormatText("1/%d - 45", (44 / size) + 1)));
    // Switching to the list shows the page of the first action after ShownDate, whatever
    // the view before had done to the list.
    app.shownDate = {2010, 10, 20};
    w.OnCommand(Cmd::ViewMonth);
    w.OnCommand(Cmd::ViewList);
    Rows rows = Column(0);
    EXPECT_NE(std::find(rows.begin(), rows.end(), "2010/10/21 10:00-11:00 21:散歩:公園"), rows.end());
    // A taller window fits more rows.
    w.resize(360, 800);
    app.listPage = 0;
    w.RefillView();
    EXPECT_GT(w.ListPageSize(), size);
    EXPECT_EQ(Column(0).size(), static_cast<size_t>(w.ListPageSize()) + 1);
}

} // namespace
