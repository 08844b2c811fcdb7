// The main window frame: controls and their ids, popups closed by any command, the
// menu tree, toolbar, accelerators, the OK button, the about box, commands of dialogs
// not built into the program, and the screenshots.
#include "views/MainWnd.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/CalendarLook.h"
#include "tests/support/Screens.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/AboutDlg.h"
#include "views/CommandIds.h"
#include "views/ViewHooks.h"

#include "core/MessageBox.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyKeys.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

using Texts = std::vector<std::string>;

Texts ActionTexts(const QMenu* menu) {
    Texts texts;
    for (QAction* a : menu->actions())
        texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return texts;
}

QMenu* SubMenu(QMenu* menu, const char16_t* title) {
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == QString::fromUtf16(title)) return a->menu();
    return nullptr;
}

using MainWnd = MainWndFixture;

TEST_F(MainWnd, ControlsCarryTheirIdsAndTexts) {
    CMainWnd& w = Window(1);
    for (int id : {1050, 1051, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1069, 1070, 1071, 1072, 1073, 1125, 40001})
        EXPECT_NE(w.findChild<QWidget*>(QStringLiteral("id%1").arg(id)), nullptr) << id;
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "2010/11/14");
    EXPECT_EQ(w.findChild<QPushButton*>("id1058")->text().toStdString(), "・");
    EXPECT_EQ(w.findChild<QPushButton*>("id40001")->text().toStdString(), "新規作成");
    EXPECT_EQ(w.findChild<QPushButton*>("id40003")->text().toStdString(), "メニュー");
    EXPECT_EQ(w.windowTitle().toStdString(), "Tidemark");
    EXPECT_EQ(MenuBarHeight(), 39); // (144 × 26 + 48) / 96
    // The strip's buttons sit right of the label, 14 × 1.5 pixels each.
    EXPECT_EQ(w.findChild<QWidget*>("id1051")->geometry(), QRect(108, 0, 21, 38));
    EXPECT_EQ(w.findChild<QWidget*>("id1060")->geometry(), QRect(108 + 11 * 21, 0, 21, 38));
}

TEST_F(MainWnd, TheMenuTree) {
    CMainWnd& w = Window(1);
    QMenu* menu = w.menu();
    EXPECT_EQ(ActionTexts(menu), (Texts{"ファイル", "編集", "表示", "ツール", "終了"}));
    EXPECT_EQ(ActionTexts(SubMenu(menu, u"ファイル")), (Texts{"エクスポート...", "インポート..."}));
    EXPECT_EQ(ActionTexts(SubMenu(menu, u"編集")),
              (Texts{"新規作成...", "変更...", "参照...", "後続...", "地図表示", "移動", "削除"}));
    EXPECT_EQ(ActionTexts(SubMenu(menu, u"表示")),
              (Texts{"1日", "1週間", "1ヶ月", "一覧", "マップ", "今日", "日またがり", "ツールバー"}));
    EXPECT_EQ(ActionTexts(SubMenu(menu, u"ツール")),
              (Texts{"レコーダー...", "検索...", "検索解除", "オプション...", "バージョン情報..."}));
    // A menu item reaches OnCommand.
    SubMenu(menu, u"表示")->actions()[2]->trigger();
    EXPECT_EQ(w.currentView(), 3);
}

TEST_F(MainWnd, AnyCommandClosesTheCalendarPopup) {
    CMainWnd& w = Window(1);
    QTest::mousePress(w.findChild<QLabel*>("id1050"), Qt::LeftButton);
    EXPECT_EQ(w.popupState(), 11);
    QTest::mouseRelease(w.findChild<QLabel*>("id1050"), Qt::LeftButton);
    EXPECT_EQ(w.popupState(), 11);
    EXPECT_TRUE(w.calendar()->isVisible());
    EXPECT_EQ(w.calendar()->selectedDate(), QDate(2010, 11, 14));
    ExpectDiaryCalendarLook(w.calendar());
    w.OnCommand(Cmd::DateLabel); // a second tap closes it
    EXPECT_EQ(w.popupState(), 0);
    for (int command : {Cmd::NextDay, Cmd::ViewToolBar, Cmd::EditNew, Cmd::WeekdaySun}) {
        w.OnCommand(Cmd::DateLabel);
        ASSERT_EQ(w.popupState(), 11);
        w.OnCommand(command);
        EXPECT_EQ(w.popupState(), 0) << command;
        EXPECT_FALSE(w.calendar()->isVisible()) << command;
    }
    // Picking a date moves ShownDate.
    w.OnCommand(Cmd::DateLabel);
    emit w.calendar()->clicked(QDate(2011, 2, 3));
    EXPECT_EQ(w.popupState(), 0);
    EXPECT_EQ(app.shownDate, (ShownDate{2011, 2, 3}));
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "2011/02/03");
}

TEST_F(MainWnd, PageSelectorOfTheListView) {
    for (int i = 0; i < 5; ++i) {
        std::string s = ToUtf8(FormatText("2010/11/%02d 10:00:00", i + 1));
        Insert({{s.c_str(), s.c_str()}});
    }
    app.settings.SeqViewRng = 2;
    CMainWnd& w = Window(4);
    w.OnCommand(Cmd::DateLabel);
    EXPECT_EQ(w.popupState(), 10);
    ASSERT_EQ(w.pageSelector()->count(), 3);
    EXPECT_EQ(w.pageSelector()->itemText(2).toStdString(), "3");
    EXPECT_FALSE(w.findChild<QLabel*>("id1050")->isVisible());
    emit w.pageSelector()->activated(2);
    EXPECT_EQ(app.listPage, 2);
    EXPECT_EQ(w.popupState(), 0);
    EXPECT_TRUE(w.findChild<QLabel*>("id1050")->isVisible());
    EXPECT_EQ(w.findChild<QLabel*>("id1050")->text().toStdString(), "3/3 - 5");
}

TEST_F(MainWnd, ToolBarAndOkButtonFollowTheirSettings) {
    app.settings.ToolBarVwMode = 2;
    app.settings.OkBtnVwMode = 2;
    CMainWnd& w = Window(1);
    EXPECT_TRUE(w.toolBar()->isVisible());
    EXPECT_TRUE(w.findChild<QPushButton*>("id1")->isVisible());
    Texts tools;
    for (QAction* a : w.toolBar()->actions())
        tools.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    EXPECT_EQ(tools, (Texts{"1日", "1週間", "1ヶ月", "一覧", "マップ", "今日", "-", "新規作成", "削除", "検索"}));
    QRect list = w.listControl()->geometry();
    EXPECT_LE(list.bottom(), w.toolBar()->geometry().top());
    w.OnCommand(Cmd::ViewToolBar);
    EXPECT_EQ(app.settings.ToolBarVwMode, 1);
    EXPECT_FALSE(w.toolBar()->isVisible());
    EXPECT_GT(w.listControl()->geometry().height(), list.height());
    // The toolbar's month button switches the view.
    w.OnCommand(Cmd::ViewToolBar);
    w.toolBar()->actions()[2]->trigger();
    EXPECT_EQ(w.currentView(), 3);
    // The OK button closes the window.
    QTest::mouseClick(w.findChild<QPushButton*>("id1"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWnd, ToolBarAndOkButtonAreLaidOutAtStartUp) {
    // Start-up arranges the window before it is first shown.
    app.settings.ToolBarVwMode = 2;
    app.settings.OkBtnVwMode = 2;
    window = std::make_unique<CMainWnd>(app);
    window->resize(360, 480);
    window->Start(1, 1);
    window->show();
    QRect tool = window->toolBar()->geometry();
    QRect ok = window->findChild<QPushButton*>("id1")->geometry();
    QRect list = window->listControl()->geometry();
    EXPECT_GT(tool.height(), 0);
    EXPECT_LE(list.bottom(), tool.top());
    EXPECT_GT(ok.height(), 0);
    EXPECT_GE(window->findChild<QLabel*>("id1050")->geometry().top(), ok.bottom());
}

TEST_F(MainWnd, MessageBoxButtonsAreJapaneseInAnyLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QtMessagePresenter presenter;
    struct Case {
        unsigned flags;
        std::vector<std::string> captions;
        int answer; // the button clicked
        int result;
    } cases[] = {{MB_YESNO | MB_ICONQUESTION, {"はい", "いいえ"}, 1, IDNO},
                 {MB_OKCANCEL, {"OK", "キャンセル"}, 1, IDCANCEL},
                 {MB_YESNOCANCEL, {"はい", "いいえ", "キャンセル"}, 0, IDYES},
                 {MB_OK, {"OK"}, 0, IDOK}};
    for (const Case& c : cases) {
        std::vector<std::string> seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons())
                seen.push_back(b->text().toStdString());
            std::sort(seen.begin(), seen.end());
            std::vector<std::string> sorted = c.captions;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(seen, sorted);
            for (QAbstractButton* b : box->buttons())
                if (b->text().toStdString() == c.captions[static_cast<size_t>(c.answer)]) b->click();
            if (box->isVisible()) box->reject(); // captions not found: do not hang
        });
        EXPECT_EQ(presenter.Show(nullptr, u"本文", u"題", c.flags), c.result) << c.flags;
        EXPECT_EQ(seen.size(), c.captions.size());
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(MainWnd, SelectingARowNeverScrollsSideways) {
    std::string memo(400, 'M');
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "駅", "移動", memo.c_str()},
            {"2010/11/14 10:00:00", "2010/11/14 11:00:00", "駅", "移動", memo.c_str()}});
    app.settings.DayVwPrtColWdh = {0, 0, 0, 0};
    CMainWnd& w = Window(1);
    QTreeWidget* list = w.listControl();
    ASSERT_GT(list->horizontalScrollBar()->maximum(), 0);
    QRect memoCell = list->visualRect(list->model()->index(1, 3));
    QPoint at(std::min(memoCell.left() + 10, list->viewport()->width() - 5), memoCell.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(list->horizontalScrollBar()->value(), 0);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->horizontalScrollBar()->value(), 0);
}

TEST_F(MainWnd, TodayInTheListViewSetsTheShownDate) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}, {"2010/11/17 08:00:00", "2010/11/17 09:00:00"}});
    CMainWnd& w = Window(4);
    ASSERT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    w.OnCommand(Cmd::Today); // "・" only turns the page
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    w.OnCommand(Cmd::ViewToday);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 17}));
}

TEST_F(MainWnd, ChangeOnTheNewRowCreates) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 1;
    };
    CMainWnd& w = Window(1);
    QTreeWidget* list = w.listControl();
    list->clearSelection();
    list->setCurrentItem(list->topLevelItem(1)); // "<新規作成>"
    w.OnCommand(Cmd::EditChange);
    EXPECT_EQ(modes, std::vector<int>{EditDlgMode::New});
    EXPECT_EQ(messages.count(), 0u);
    // Copy and follow-on still need an action.
    list->setCurrentItem(list->topLevelItem(1));
    w.OnCommand(Cmd::EditCopy);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(modes.size(), 1u);
}

TEST_F(MainWnd, MenuKeysOpenTheMenuAndEscapeClosesTheCalendar) {
    CMainWnd& w = Window(1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_Menu}) {
        QTest::keyClick(w.listControl(), key);
        EXPECT_TRUE(w.menu()->isVisible()) << key;
        w.menu()->hide();
    }
    w.OnCommand(Cmd::DateLabel);
    ASSERT_EQ(w.popupState(), 11);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(w.popupState(), 0);
    EXPECT_FALSE(w.calendar()->isVisible());
    EXPECT_TRUE(w.listControl()->hasFocus());
}

TEST_F(MainWnd, CalendarHeadingAndWeekendColours) {
    CMainWnd& w = Window(1);
    w.OnCommand(Cmd::DateLabel);
    QCalendarWidget* calendar = w.calendar();
    EXPECT_EQ(calendar->weekdayTextFormat(Qt::Saturday).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(calendar->weekdayTextFormat(Qt::Sunday).foreground().color(), QColor(255, 0, 0));
    auto* heading = calendar->findChild<QWidget*>("calendarHeading");
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->isVisible());
    auto texts = [heading] {
        std::vector<std::string> t;
        for (QLabel* label : heading->findChildren<QLabel*>())
            t.push_back(label->text().toStdString());
        return t;
    };
    EXPECT_EQ(texts(), std::vector<std::string>{"2010年11月"});
    calendar->showNextMonth();
    EXPECT_EQ(texts(), std::vector<std::string>{"2010年12月"});
}

TEST_F(MainWnd, MinimumSizeAndWideWindow) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "駅", "移動", "短い"}});
    app.settings.DayVwLndColWdh = {0, 0, 0, 0};
    CMainWnd& w = Window(1);
    w.resize(100, 100);
    EXPECT_GE(w.width(), ScaleByDpi(240));
    EXPECT_GE(w.height(), ScaleByDpi(240));
    auto* label = w.findChild<QLabel*>("id1050");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    w.resize(1200, 500);
    w.RefillView();
    // The buttons stay beside the date.
    EXPECT_EQ(w.findChild<QWidget*>("id1051")->geometry().left(), label->geometry().right() + 1);
    EXPECT_LT(w.findChild<QWidget*>("id1060")->geometry().right(), 600);
    // The last column reaches the list's right edge; automatic widths have padding.
    QTreeWidget* list = w.listControl();
    int last = list->columnCount() - 1;
    EXPECT_EQ(list->header()->sectionPosition(last) + list->columnWidth(last), list->viewport()->width());
    for (int c = 0; c < 4; ++c) {
        int text = list->fontMetrics().horizontalAdvance(list->topLevelItem(0)->text(c));
        int contents = std::max(list->header()->sectionSizeHint(c), text);
        EXPECT_GE(list->columnWidth(c), contents + ScaleByDpi(4)) << c;
    }
}

TEST_F(MainWnd, MenuKeysPressTheSoftMenuKeyOfADialog) {
    InstallSoftKeyKeys(*qApp);
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* soft = new QPushButton(QString::fromUtf16(u"メニュー"), &dialog);
    soft->setFocusPolicy(Qt::NoFocus);
    soft->move(0, 40);
    int pressed = 0;
    QObject::connect(soft, &QPushButton::clicked, [&] { ++pressed; });
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F10);
    QTest::keyClick(edit, Qt::Key_Menu);
    EXPECT_EQ(pressed, 2);
    QTest::keyClick(edit, Qt::Key_F10, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
}

TEST_F(MainWnd, KeyboardShortcutsAndDeleteKey) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}, {"2010/11/14 10:00:00", "2010/11/14 11:00:00"}});
    CMainWnd& w = Window(1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const std::pair<Qt::Key, int> views[] = {{Qt::Key_2, 2}, {Qt::Key_3, 3}, {Qt::Key_4, 4}, {Qt::Key_1, 1}};
    for (auto [key, view] : views) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        EXPECT_EQ(w.currentView(), view);
    }
    // The menu shows the keys.
    QMenu* edit = SubMenu(w.menu(), u"編集");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->actions().last()->shortcut(), QKeySequence(Qt::Key_Delete));
    // Delete asks the documented question about the selected rows.
    QTreeWidget* list = w.listControl();
    list->setFocus();
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    messages.Answer(IDYES);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_EQ(messages.last().caption, u"アクションの削除の確認");
    EXPECT_EQ(app.actionIndex.count(), 1);
}

TEST_F(MainWnd, WindowIconIsTheProgramIcon) {
    CMainWnd& w = Window(1);
    QList<QSize> sizes = w.windowIcon().availableSizes();
    for (int side : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    QImage small = w.windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(small.size(), QSize(16, 16));
    EXPECT_GT(qAlpha(small.pixel(8, 8)), 0); // drawn, not empty
}

TEST_F(MainWnd, AcceleratorsAndExit) {
    CMainWnd& w = Window(1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    bool aboutShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "aboutBox" && top->isVisible()) {
                aboutShown = true;
                static_cast<QDialog*>(top)->accept();
            }
    });
    closer.start(20);
    QTest::keyClick(w.windowHandle(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(aboutShown);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWnd, CommandsOfDialogsNotBuiltInDoNothing) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    CMainWnd& w = Window(1);
    for (int command :
         {Cmd::FileExport, Cmd::FileImport, Cmd::EditNew, Cmd::SoftKeyNew, Cmd::EditChange, Cmd::EditCopy,
          Cmd::EditFollow, Cmd::EditWebMap, Cmd::EditMoveMap, Cmd::ToolRecorder, Cmd::ToolFind, Cmd::ToolOption})
        w.OnCommand(command);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWnd, ChangeCopyAndFollowNeedASelectedAction) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 1;
    };
    CMainWnd& w = Window(1);
    w.OnCommand(Cmd::EditChange);
    w.OnCommand(Cmd::EditCopy);
    w.OnCommand(Cmd::EditFollow);
    EXPECT_EQ(modes, (std::vector<int>{EditDlgMode::Change, EditDlgMode::Copy, EditDlgMode::Follow}));
    EXPECT_EQ(app.selectedPosition, 0);
    QTreeWidget* list = w.listControl();
    list->clearSelection();
    list->setCurrentItem(list->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    w.OnCommand(Cmd::EditChange);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(messages.last().caption, u"変更不可");
    w.OnCommand(Cmd::ViewWeek);
    w.OnCommand(Cmd::EditCopy);
    EXPECT_EQ(messages.last().text, u"画面上のアクションをタップ&ホールドして操作してください。");
    w.OnCommand(Cmd::EditDelete);
    EXPECT_EQ(messages.last().caption, u"削除不可");
    EXPECT_EQ(modes.size(), 3u);
}

TEST_F(MainWnd, FindAndClearFind) {
    Insert(
        {{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "駅"}, {"2010/11/14 10:00:00", "2010/11/14 11:00:00", "港"}});
    ViewHooks().runFind = [&](CMainWnd&) {
        app.searchCondition = u"f_nvcPlace = '港'";
        RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition);
        return 1;
    };
    app.settings.DispListAfterFind = 1;
    app.listPage = 3;
    CMainWnd& w = Window(1, 2);
    w.OnCommand(Cmd::ToolFind);
    EXPECT_EQ(w.currentView(), 4);
    EXPECT_EQ(app.actionIndex.count(), 1);
    w.OnCommand(Cmd::ViewDay);
    EXPECT_EQ(Column(1), (Texts{"港", ""}));
    w.OnCommand(Cmd::ToolClearFind);
    EXPECT_TRUE(app.searchCondition.empty());
    EXPECT_EQ(app.actionIndex.count(), 2);
    EXPECT_EQ(Column(1), (Texts{"駅", "港", ""}));
}

TEST_F(MainWnd, AboutBoxShowsTheDataFileAndTheCount) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}, {"2010/11/15 08:00:00", "2010/11/15 09:00:00"}});
    CMainWnd& w = Window(1);
    {
        CAboutDlg about(app, &w);
        EXPECT_EQ(about.windowTitle().toStdString(), "バージョン情報");
        EXPECT_EQ(about.findChild<QLineEdit*>("aboutFile")->text(), QString::fromStdString(dir.file("user.sdf")));
        EXPECT_TRUE(about.findChild<QLineEdit*>("aboutFile")->isReadOnly());
        EXPECT_EQ(about.findChild<QLabel*>("aboutCount")->text().toStdString(), "2");
        about.show();
        SaveScreenshot(&about, QStringLiteral("about_box"));
    }
    app.searchCondition = u"f_nchStaDateTime < '2010/11/15'";
    RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition);
    CAboutDlg narrowed(app, &w);
    EXPECT_EQ(narrowed.findChild<QLabel*>("aboutCount")->text().toStdString(), "1(2)");
    EXPECT_EQ(CAboutDlg::CountText(3, 45, true).toStdString(), "3(45)");
}

TEST_F(MainWnd, Screenshots) {
    Insert({{"2010/11/14 00:00:00", "2010/11/14 24:00:00", "自宅", "休日", "日曜日"},
            {"2010/11/14 07:30:00", "2010/11/14 08:15:00", "自宅", "食事", "朝食：パンとコーヒー"},
            {"2010/11/14 09:00:00", "2010/11/14 11:30:00", "公園", "散歩", "川沿いを一周"},
            {"2010/11/14 12:00:00", "2010/11/14 13:00:00", "レストラン", "食事", "ランチ"},
            {"2010/11/14 14:00:00", "2010/11/14 17:45:00", "会社", "仕事", "資料作成\r\n明日の打合せ準備"},
            {"2010/11/14 19:00:00", "2010/11/14 21:00:00", "映画館", "遊び", "映画"}});
    app.selectedActionId = app.actionIndex.IdAt(2);
    app.settings.ToolBarVwMode = 2;
    CMainWnd& w = Window(1);
    EXPECT_EQ(w.size(), QSize(360, 480));
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("main_day_portrait")).isEmpty());
    w.resize(640, 400);
    w.RefillView();
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("main_day_landscape")).isEmpty());
    // The week, month and list views in both shapes.
    const char* names[] = {"week", "month", "list"};
    for (int view = 2; view <= 4; ++view) {
        w.resize(360, 480);
        w.OnCommand(Cmd::ViewDay + view - 1);
        QString name = QStringLiteral("main_%1_").arg(QLatin1String(names[view - 2]));
        EXPECT_FALSE(SaveScreenshot(&w, name + QStringLiteral("portrait")).isEmpty());
        w.resize(640, 400);
        EXPECT_FALSE(SaveScreenshot(&w, name + QStringLiteral("landscape")).isEmpty());
    }
    w.OnCommand(Cmd::ViewDay);
    w.resize(360, 480);
    w.menu()->popup(w.mapToGlobal(QPoint(150, 200)));
    QMenu* view = SubMenu(w.menu(), u"表示");
    w.menu()->setActiveAction(view->menuAction());
    view->popup(w.mapToGlobal(QPoint(200, 220)));
    QApplication::processEvents();
    SaveScreenshot(w.menu(), QStringLiteral("menu_open"));
    SaveScreenshot(view, QStringLiteral("menu_view_open"));
    w.menu()->hide();
    w.OnCommand(Cmd::DateLabel);
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("main_calendar_popup")).isEmpty());
}

} // namespace
