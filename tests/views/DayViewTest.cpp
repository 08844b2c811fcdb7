// The day view: rows and period texts in both modes, the multi-day query's bound
// against a full scan, column headers and widths, selection, errors, opening and
// deleting rows.
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/DayViewData.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <random>
#include <sqlite3.h>

namespace {

using Rows = std::vector<std::string>;

TEST(DayViewPeriod, Texts) {
    struct Case {
        const char* start;
        const char* end;
        const char* single;
        const char* multi; // for the day 2010/11/14
    } cases[] = {
        {"2010/11/14 08:00:00", "2010/11/14 09:30:00", "08:00-09:30", "08:00-09:30"},
        {"2010/11/13 23:00:00", "2010/11/14 01:00:00", "23:00-01:00", "11/13-01:00"},
        {"2010/11/14 22:00:00", "2010/11/15 02:00:00", "22:00-02:00", "22:00-11/15"},
        {"2010/11/13 22:00:00", "2010/11/15 02:00:00", "22:00-02:00", "11/13-11/15"},
        {"2010/11/14 00:00:00", "2010/11/14 24:00:00", "11/14-11/14", "11/14-11/14"},
        {"2010/11/12 00:00:00", "2010/11/14 24:00:00", "11/12-11/14", "11/12-11/14"},
        {"2010/11/14", "", "-", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToUtf8(SingleDayPeriodText(FromUtf8(c.start), FromUtf8(c.end))), c.single) << c.start;
        EXPECT_EQ(ToUtf8(MultiDayPeriodText(FromUtf8(c.start), FromUtf8(c.end), u"2010/11/14")), c.multi) << c.start;
    }
    EXPECT_EQ(ToUtf8(EarliestOverlappingStart({2010, 11, 14}, 3600 * 25 + 61)), "2010/11/12 22:58:59");
    EXPECT_EQ(ToUtf8(EarliestOverlappingStart({2010, 11, 14}, 0)), "2010/11/14 00:00:00");
}

class DayView : public MainWndFixture {
protected:
    void InsertDay() {
        Insert({{"2010/11/13 23:00:00", "2010/11/14 01:00:00", "駅", "移動", "夜行"},
                {"2010/11/14 08:00:00", "2010/11/14 09:30:00", "会社", "仕事", "朝会\r\n議事録"},
                {"2010/11/14 00:00:00", "2010/11/14 24:00:00", "自宅", "休日", ""},
                {"2010/11/14 22:00:00", "2010/11/15 02:00:00", "店", "食事", "打上げ"},
                {"2010/11/15 09:00:00", "2010/11/15 10:00:00", "学校", "授業", ""},
                {"2010/11/12 09:00:00", "2010/11/12 10:00:00", "公園", "散歩", ""}});
    }
};

TEST_F(DayView, SingleDayModeListsTheActionsStartingOnTheDay) {
    InsertDay();
    Window(1, 1);
    EXPECT_EQ(Column(0), (Rows{"11/14-11/14", "08:00-09:30", "22:00-02:00", "<新規作成>"}));
    EXPECT_EQ(Column(1), (Rows{"自宅", "会社", "店", ""}));
    EXPECT_EQ(Column(3), (Rows{"", "朝会議事録", "打上げ", ""}));
    EXPECT_EQ(window->dayFirstPosition(), 2);
    EXPECT_EQ(window->dayLastPosition(), 4);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DayView, MultiDayModeListsEveryOverlappingAction) {
    InsertDay();
    Window(1, 2);
    EXPECT_EQ(Column(0), (Rows{"11/13-01:00", "11/14-11/14", "08:00-09:30", "22:00-11/15", "<新規作成>"}));
    EXPECT_EQ(Column(2), (Rows{"移動", "休日", "仕事", "食事", ""}));
    EXPECT_EQ(window->dayFirstPosition(), 1);
    EXPECT_EQ(window->dayLastPosition(), 4);
    // The 日またがり item switches back to single-day mode.
    window->OnCommand(Cmd::ViewMultiDay);
    EXPECT_EQ(app.settings.DayVwMltDayMode, 1);
    EXPECT_EQ(Column(0).size(), 4u);
}

TEST_F(DayView, MultiDayQueryGivesWhatAFullScanGives) {
    std::mt19937 random(7);
    std::vector<TestAction> actions;
    std::vector<std::string> texts;
    texts.reserve(400);
    for (int i = 0; i < 200; ++i) {
        int day = 1 + static_cast<int>(random() % 24), hour = static_cast<int>(random() % 24);
        int hours = static_cast<int>(random() % (i % 20 == 0 ? 120 : 6));
        int endDay = day + (hour + hours) / 24, endHour = (hour + hours) % 24;
        texts.push_back(ToUtf8(FormatText("2010/03/%02d %02d:00:00", day, hour)));
        texts.push_back(ToUtf8(FormatText("2010/03/%02d %02d:30:00", endDay, endHour)));
    }
    UserDataTable& table = *OpenTables()->userData;
    for (size_t i = 0; i < texts.size(); i += 2) {
        ActionRecord r;
        r[ActionField::StaDateTime] = FromUtf8(texts[i]);
        r[ActionField::EndDateTime] = FromUtf8(texts[i + 1]);
        ASSERT_EQ(table.InsertAction(r), S_OK);
    }
    ASSERT_EQ(RebuildActionIndex(table, app.actionIndex), S_OK);
    for (int day = 1; day <= 31; ++day) {
        ShownDate date{2010, 3, day};
        DayViewData data;
        ASSERT_EQ(LoadDayViewMulti(nullptr, table, app.actionIndex, date, u"", data), 0);
        std::string d = ToUtf8(FormatText("2010/03/%02d", day));
        // The query as written, without the bound.
        std::string sql = "select count(*) from t_UserData where f_nchStaDateTime < '" + d +
                          " 24:00:00' and f_nchEndDateTime >= '" + d + " 00:00:00'";
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(OpenTables()->db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        EXPECT_EQ(static_cast<int>(data.rows.size()), sqlite3_column_int(stmt, 0)) << d;
        sqlite3_finalize(stmt);
    }
}

TEST_F(DayView, ColumnsTakeTheirNamesAndStoredWidths) {
    InsertDay();
    app.settings.PlaceName = u"所在";
    app.settings.Cate1Name = u"種別";
    app.settings.DayVwPrtColWdh = {40, 0, -1, 90};
    Window(1, 1);
    QTreeWidget* list = window->listControl();
    QTreeWidgetItem* header = list->headerItem();
    EXPECT_EQ(header->text(0), QString::fromUtf16(u"日時"));
    EXPECT_EQ(header->text(1), QString::fromUtf16(u"所在"));
    EXPECT_EQ(header->text(2), QString::fromUtf16(u"種別"));
    EXPECT_EQ(header->text(3), QString::fromUtf16(u"メモ"));
    EXPECT_EQ(list->columnCount(), 5);
    EXPECT_EQ(list->columnWidth(0), 40);
    EXPECT_EQ(list->columnWidth(3), 90);
    int w = list->viewport()->width();
    EXPECT_LE(list->columnWidth(1), 2 * w);
    EXPECT_NE(list->columnWidth(1), w / 4); // sized to its contents
    // Leaving the day view keeps the widths in the portrait keys.
    list->setColumnWidth(2, 77);
    window->OnCommand(Cmd::ViewWeek);
    EXPECT_EQ(app.settings.DayVwPrtColWdh[2], 77);
    EXPECT_EQ(app.settings.DayVwLndColWdh[2], -1);
}

TEST_F(DayView, AutomaticWidthIsCappedAndAnEmptyDayKeepsTheInitialWidth) {
    std::string memo(3000, 'M');
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "", "", memo.c_str()}});
    app.settings.DayVwPrtColWdh = {0, 0, 0, 0};
    Window(1, 1);
    QTreeWidget* list = window->listControl();
    int w = list->viewport()->width();
    EXPECT_EQ(list->columnWidth(3), 2 * w);
    window->OnCommand(Cmd::NextDay); // an empty day: the initial widths stay
    EXPECT_EQ(list->columnWidth(0), list->viewport()->width() / 4);
    EXPECT_EQ(list->columnWidth(3), 3 * list->viewport()->width() / 4);
}

TEST_F(DayView, TheListTakesTheDayViewFont) {
    app.settings.DayVwGrdFntName = u"Noto Sans CJK JP";
    app.settings.DayVwGrdFntSize = 20;
    Window(1, 1);
    EXPECT_EQ(window->listControl()->font().family(), QStringLiteral("Noto Sans CJK JP"));
    EXPECT_EQ(window->listControl()->font().pixelSize(), 20);
}

TEST_F(DayView, DefaultFontNameAndSizeAreTheDesktopFont) {
    // What "<既定>" stores.
    app.settings.DayVwGrdFntName = u"";
    app.settings.DayVwGrdFntSize = -1;
    Window(1, 1);
    QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont font = window->listControl()->font();
    EXPECT_EQ(font.family(), system.family());
    EXPECT_GE(QFontInfo(font).pixelSize(), 8);
    EXPECT_EQ(QFontInfo(font).pixelSize(), QFontInfo(system).pixelSize());
}

TEST_F(DayView, TheSelectedActionIsSelectedAndScrolledToTheMiddle) {
    std::vector<std::string> texts;
    for (int i = 0; i < 40; ++i)
        texts.push_back(ToUtf8(FormatText("2010/11/14 %02d:%02d:00", i / 2, (i % 2) * 30)));
    for (const std::string& s : texts)
        Insert({{s.c_str(), s.c_str()}});
    app.selectedActionId = app.actionIndex.IdAt(30);
    Window(1, 1);
    QTreeWidget* list = window->listControl();
    EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 30);
    EXPECT_TRUE(list->topLevelItem(30)->isSelected());
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    QRect row = list->visualItemRect(list->topLevelItem(30));
    EXPECT_NEAR(row.center().y(), list->viewport()->height() / 2, row.height());
    // Without a match the first row is selected.
    app.selectedActionId = u"ID0000";
    window->RefillView();
    EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 0);
}

TEST_F(DayView, FailingQueryShowsTheErrorAndKeepsTheWindowUsable) {
    InsertDay();
    Window(1, 2);
    ASSERT_EQ(sqlite3_exec(OpenTables()->db, "drop table t_UserData", nullptr, nullptr, nullptr), SQLITE_OK);
    messages.Clear();
    window->OnCommand(Cmd::NextDay);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text), "CMainWnd:SetDataDayViewForMulti Select Err (ln=4202, hr=80041001)");
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_EQ(messages.last().flags, MB_OK);
    window->OnCommand(Cmd::ViewMultiDay);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("CMainWnd:SetDataDayViewForSingle Select Err (ln=4201, hr=", 0), 0u);
    EXPECT_EQ(Column(0), (Rows{"<新規作成>"}));
}

TEST_F(DayView, FailingFetchShowsGetNextRS) {
    InsertDay();
    Window(1, 1); // the day's read is prepared now; only its fetch can fail
    sqlite3_progress_handler(
        OpenTables()->db, 1, [](void*) { return 1; }, nullptr);
    messages.Clear();
    window->RefillView();
    sqlite3_progress_handler(OpenTables()->db, 0, nullptr, nullptr);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text), "CMainWnd:SetDataDayViewForSingle GetNextRS Err (ln=4204, hr=80041009)");
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_EQ(Column(0), (Rows{"<新規作成>"}));
}

TEST_F(DayView, EnterOpensTheSelectedActionOrANewOne) {
    InsertDay();
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 1;
    };
    Window(1, 1);
    QTreeWidget* list = window->listControl();
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyPress(list, Qt::Key_Return);
    ASSERT_EQ(modes, std::vector<int>{EditDlgMode::Change});
    EXPECT_EQ(app.selectedPosition, 3);
    EXPECT_EQ(app.selectedActionId, app.actionIndex.IdAt(3));
    list->setCurrentItem(list->topLevelItem(3)); // "<新規作成>"
    QTest::keyPress(list, Qt::Key_Return);
    EXPECT_EQ(modes.back(), EditDlgMode::New);
    EXPECT_EQ(app.selectedPosition, app.actionIndex.count());
    // Multi-day mode looks the identifier up in the index.
    window->OnCommand(Cmd::ViewMultiDay);
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyPress(list, Qt::Key_Return);
    EXPECT_EQ(modes.back(), EditDlgMode::Change);
    EXPECT_EQ(app.selectedPosition, 1);
}

TEST_F(DayView, EnterOnTheNewRowOfAnEmptyDay) {
    int mode = 0;
    ViewHooks().runEditDialog = [&](CMainWnd&, int m) { return mode = m; };
    Window(1, 1);
    EXPECT_EQ(Column(0), (Rows{"<新規作成>"}));
    QTest::keyPress(window->listControl(), Qt::Key_Return);
    EXPECT_EQ(mode, EditDlgMode::New);
}

TEST_F(DayView, DeleteOneAndSeveralRows) {
    InsertDay();
    Window(1, 1);
    QTreeWidget* list = window->listControl();
    // Nothing but the new row selected.
    list->clearSelection();
    list->topLevelItem(3)->setSelected(true);
    window->OnCommand(Cmd::EditDelete);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(messages.last().caption, u"削除不可");

    // One row, answered No: nothing changes.
    std::u16string kept = app.actionIndex.IdAt(3);
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    messages.Answer(IDNO);
    window->OnCommand(Cmd::EditDelete);
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_EQ(messages.last().caption, u"アクションの削除の確認");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(app.actionIndex.count(), 6);

    // One row, Yes.
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    messages.Answer(IDYES);
    window->OnCommand(Cmd::EditDelete);
    EXPECT_EQ(app.actionIndex.count(), 5);
    EXPECT_EQ(app.actionIndex.FindId(kept), -1);
    ActionRecord gone;
    EXPECT_EQ(OpenTables()->userData->ReadActionById(kept, gone), DB_E_NOTFOUND);
    EXPECT_EQ(Column(0), (Rows{"11/14-11/14", "22:00-02:00", "<新規作成>"}));

    // Two rows and the new row: two are deleted.
    for (int row = 0; row < 3; ++row)
        list->topLevelItem(row)->setSelected(true);
    messages.Answer(IDYES);
    window->OnCommand(Cmd::EditDelete);
    EXPECT_EQ(messages.last().text, u"これらの 2 個のアクションを削除しますか？");
    EXPECT_EQ(app.actionIndex.count(), 3);
    EXPECT_EQ(Column(0), (Rows{"<新規作成>"}));
    ActionIndex rebuilt;
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, rebuilt), S_OK);
    EXPECT_TRUE(rebuilt == app.actionIndex);
}

} // namespace
