// The find dialog on a real data file: its controls, the time editor and calendar, the
// choosers of ItmSelMode 2, "クリア", the state kept for the run, and a search run from
// the main window narrowing the views until "検索解除".
#include "find/FindDlg.h"

#include "core/Utf.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "store/DataFileTables.h"
#include "tests/support/CalendarLook.h"
#include "tests/support/Screens.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/AboutDlg.h"
#include "views/CommandIds.h"
#include "views/GridListCtrl.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class FindDlg : public MainWndFixture {
protected:
    void SetUp() override {
        MainWndFixture::SetUp();
        FindDialogState() = SearchValues{};
        Insert({{"2010/11/14 00:00:00", "2010/11/14 24:00:00", "自宅", "休日", "日曜日"},
                {"2010/11/14 07:30:00", "2010/11/14 08:15:00", "自宅", "食事", "朝食"},
                {"2010/11/14 12:00:00", "2010/11/14 13:00:00", "レストラン", "食事", "ランチ"},
                {"2010/11/15 09:00:00", "2010/11/15 18:00:00", "会社", "仕事", "資料作成"},
                {"2010/11/16 12:00:00", "2010/11/16 12:45:00", "会社", "食事", "ランチ"}});
    }
    template <class W = QWidget> W* Child(QWidget& parent, int id) {
        W* w = parent.findChild<W*>(QStringLiteral("id%1").arg(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    QString Text(CFindDlg& d, int id) { return Child<QLabel>(d, id)->text(); }
    // Taps a field and leaves the typed text in the time editor.
    void TypeTime(CFindDlg& d, int field, const char* typed) {
        QTest::mouseClick(Child<QLabel>(d, field), Qt::LeftButton);
        ASSERT_TRUE(d.timeEditor()->isVisible());
        d.timeEditor()->setEditText(QString::fromUtf8(typed));
        QTest::keyClick(d.timeEditor()->lineEdit(), Qt::Key_Return);
    }
    // Runs the dialog from the main window's "検索..." with the given steps before "検索".
    void SearchFromMainWindow(std::function<void(CFindDlg&)> steps) {
        ViewHooks().runFind = [steps](CMainWnd& w) {
            CFindDlg d(w.app(), &w);
            d.show();
            steps(d);
            d.OnCommand(CFindDlg::kIdRun);
            return d.result();
        };
        window->OnCommand(Cmd::ToolFind);
    }
};

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

TEST_F(FindDlg, ControlsCarryTheirIdsAndCaptions) {
    app.settings.Cate1Name = u"種類";
    app.settings.StaDtTmName = u"始";
    CFindDlg d(app);
    EXPECT_EQ(Text(d, 1250), Q(u"検索"));
    EXPECT_EQ(Text(d, 1253), Q(u"検索文字列:"));
    EXPECT_EQ(Child<QCheckBox>(d, 1256)->text(), Q(u"場所"));
    EXPECT_EQ(Child<QCheckBox>(d, 1257)->text(), Q(u"種類"));
    EXPECT_EQ(Child<QCheckBox>(d, 1258)->text(), Q(u"分類2"));
    EXPECT_EQ(Child<QCheckBox>(d, 1259)->text(), Q(u"メモ"));
    EXPECT_EQ(Text(d, 1260), Q(u"検索始："));
    EXPECT_EQ(Text(d, 1264), Q(u"検索終了："));
    EXPECT_EQ(Child<QPushButton>(d, 1263)->text(), Q(u"・"));
    EXPECT_EQ(Child<QCheckBox>(d, 1268)->text(), Q(u"検索終了後、一覧形式にて表示する"));
    EXPECT_EQ(Child<QPushButton>(d, 1269)->text(), Q(u"クリア"));
    EXPECT_EQ(Child<QPushButton>(d, 1)->text(), Q(u"検索"));
    EXPECT_EQ(Child<QPushButton>(d, 2)->text(), Q(u"閉じる"));
    QStringList menu;
    for (QAction* a : d.menu()->actions())
        menu << a->text();
    EXPECT_EQ(menu, (QStringList{Q(u"検索"), Q(u"クリア"), Q(u"閉じる")}));
    for (int id : {1255, 1261, 1262, 1265, 1266, 1267})
        Child(d, id);
    EXPECT_FALSE(Child(d, 1270)->isVisible());
    EXPECT_FALSE(Child(d, 1271)->isVisible());
    // Without ItmSelMode 2 the text is the combo box.
    d.show();
    EXPECT_TRUE(Child(d, 1254)->isVisible());
    EXPECT_FALSE(Child(d, 1272)->isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Child<QCheckBox>(d, 1256 + i)->isChecked());
}

TEST_F(FindDlg, TimeEditorListsAndChecks) {
    CFindDlg d(app);
    d.show();
    QTest::mouseClick(Child<QLabel>(d, 1262), Qt::LeftButton);
    QComboBox* editor = d.timeEditor();
    ASSERT_TRUE(editor->isVisible());
    ASSERT_EQ(editor->count(), 51);
    EXPECT_EQ(editor->itemText(0), QString());
    EXPECT_EQ(editor->itemText(1), Q(u"<終日>"));
    EXPECT_EQ(editor->itemText(2), QStringLiteral("00:00"));
    EXPECT_EQ(editor->itemText(50), QStringLiteral("24:00"));
    EXPECT_EQ(editor->currentText(), QStringLiteral("12:00")); // an empty field preselects noon
    editor->setEditText(QStringLiteral("0930"));
    QTest::keyClick(editor->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(Text(d, 1262), QStringLiteral("09:30"));
    // Return closed only the editor: no button took it (the date is still empty).
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(Text(d, 1261), QString());
    // The end list has no all-day entry; a wrong time keeps the editor open.
    QTest::mouseClick(Child<QLabel>(d, 1266), Qt::LeftButton);
    EXPECT_EQ(editor->count(), 50);
    editor->setEditText(QStringLiteral("25:10"));
    d.OnCommand(CFindDlg::kIdStartDate);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"入力値不正");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(d.calendar()->isVisible());
    TypeTime(d, 1266, "24:00");
    EXPECT_EQ(Text(d, 1266), QStringLiteral("24:00"));
    // All day takes both times and locks the end time until the start changes.
    TypeTime(d, 1262, "<終日>");
    EXPECT_EQ(Text(d, 1262), Q(u"<終日>"));
    EXPECT_EQ(Text(d, 1266), Q(u"<終日>"));
    EXPECT_FALSE(Child(d, 1266)->isEnabled());
    TypeTime(d, 1262, "8:00");
    EXPECT_EQ(Text(d, 1266), QString());
    EXPECT_TRUE(Child(d, 1266)->isEnabled());
}

TEST_F(FindDlg, CalendarTodayAndClear) {
    CFindDlg d(app);
    d.show();
    QTest::mouseClick(Child<QLabel>(d, 1265), Qt::LeftButton);
    ASSERT_TRUE(d.calendar()->isVisible());
    EXPECT_EQ(d.calendar()->selectedDate(), QDate(2010, 11, 17)); // empty: today
    ExpectDiaryCalendarLook(d.calendar());
    // Beside the field, never over it or the soft keys, all seven days in view.
    EXPECT_FALSE(d.calendar()->geometry().intersects(Child(d, 1265)->geometry()));
    EXPECT_LE(d.calendar()->geometry().bottom(), Child(d, 1)->parentWidget()->y());
    EXPECT_GE(d.calendar()->width(), d.calendar()->minimumSizeHint().width());
    EXPECT_GE(d.calendar()->height(), d.calendar()->minimumSizeHint().height());
    d.calendar()->setSelectedDate(QDate(2010, 11, 20));
    emit d.calendar()->clicked(QDate(2010, 11, 20));
    EXPECT_FALSE(d.calendar()->isVisible());
    EXPECT_EQ(Text(d, 1265), QStringLiteral("2010/11/20"));
    QTest::mouseClick(Child<QLabel>(d, 1265), Qt::LeftButton);
    EXPECT_EQ(d.calendar()->selectedDate(), QDate(2010, 11, 20)); // the field's own date
    QTest::mouseClick(Child<QPushButton>(d, 1263), Qt::LeftButton);
    EXPECT_FALSE(d.calendar()->isVisible());
    EXPECT_EQ(Text(d, 1261), QStringLiteral("2010/11/17"));
    TypeTime(d, 1262, "<終日>");
    Child<QCheckBox>(d, 1257)->setChecked(false);
    Child<QComboBox>(d, 1254)->setEditText(QStringLiteral("abc"));
    QTest::mouseClick(Child<QPushButton>(d, 1269), Qt::LeftButton);
    for (int id : {1261, 1262, 1265, 1266})
        EXPECT_EQ(Text(d, id), QString()) << id;
    EXPECT_TRUE(Child(d, 1266)->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(d, 1257)->isChecked());
    EXPECT_EQ(Child<QComboBox>(d, 1254)->currentText(), QString());
}

TEST_F(FindDlg, EveryFieldIsReachedAndOpenedFromTheKeyboard) {
    CFindDlg d(app);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    Child(d, 1254)->setFocus();
    std::vector<int> reached;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        bool ok = false;
        int id = QApplication::focusWidget()->objectName().mid(2).toInt(&ok);
        if (ok) reached.push_back(id);
    }
    for (int id : {1261, 1262, 1265, 1266, 1263, 1268, 1269})
        EXPECT_NE(std::find(reached.begin(), reached.end(), id), reached.end()) << id;
    // Space on a date field opens the calendar, Return on a time field the time editor.
    Child(d, 1265)->setFocus();
    QTest::keyClick(Child(d, 1265), Qt::Key_Space);
    EXPECT_TRUE(d.calendar()->isVisible());
    // Escape closes the calendar, not the dialog; the field keeps the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(d.calendar()->isVisible());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Child(d, 1265));
    Child(d, 1262)->setFocus();
    QTest::keyClick(Child(d, 1262), Qt::Key_Return);
    EXPECT_TRUE(d.timeEditor()->isVisible());
    d.timeEditor()->setEditText(QStringLiteral("9:30"));
    QTest::keyClick(d.timeEditor()->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(d.timeEditor()->isVisible());
    EXPECT_EQ(Text(d, 1262), QStringLiteral("09:30"));
    EXPECT_EQ(QApplication::focusWidget(), Child(d, 1262));
}

TEST_F(FindDlg, ReturnInTheSearchTextRuns) {
    Window(1, 2);
    // An older search text that begins with the typed one is not completed into it.
    app.settings.lists.Find.insert(app.settings.lists.Find.begin(), u"ランチ会");
    SearchFromMainWindow([](CFindDlg& d) {
        auto* combo = d.findChild<QComboBox*>(QStringLiteral("id1254"));
        combo->setEditText(QString());
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        combo->setFocus();
        for (QChar c : QString::fromUtf16(u"ランチ")) { // typed, as QTest types ASCII only
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(combo->lineEdit(), &press);
        }
        EXPECT_EQ(combo->currentText(), QString::fromUtf16(u"ランチ"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible()) << "the search ran and ended the dialog";
    });
    EXPECT_EQ(app.actionIndex.count(), 2);
    EXPECT_EQ(messages.last().text, u"2 個のアクションが見つかりました。");
}

TEST_F(FindDlg, CloseKeepsTheStateForTheRunAndTheTextInTheHistory) {
    app.settings.lists.Find = {u"old"};
    {
        CFindDlg d(app);
        d.show();
        EXPECT_EQ(Child<QComboBox>(d, 1254)->count(), 1);
        d.OnCommand(CFindDlg::kIdStartToday);
        TypeTime(d, 1266, "1830");
        Child<QCheckBox>(d, 1259)->setChecked(false);
        Child<QCheckBox>(d, 1268)->setChecked(true);
        Child<QComboBox>(d, 1254)->setEditText(QStringLiteral("new"));
        d.OnCommand(CFindDlg::kIdClose);
        EXPECT_EQ(d.result(), 0);
    }
    EXPECT_EQ(app.settings.lists.Find, (std::vector<std::u16string>{u"new", u"old"}));
    EXPECT_EQ(app.settings.DispListAfterFind, 1);
    EXPECT_TRUE(app.searchCondition.empty());
    CFindDlg again(app);
    EXPECT_EQ(Text(again, 1261), QStringLiteral("2010/11/17"));
    EXPECT_EQ(Text(again, 1266), QStringLiteral("18:30"));
    EXPECT_FALSE(Child<QCheckBox>(again, 1259)->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(again, 1268)->isChecked());
    EXPECT_EQ(Child<QComboBox>(again, 1254)->count(), 2);
}

TEST_F(FindDlg, ChoosersOfItemSelectionMode2) {
    app.settings.ItmSelMode = 2;
    app.settings.lists.Find = {u"ランチ", u"朝食"};
    CFindDlg d(app);
    d.show();
    EXPECT_FALSE(Child(d, 1254)->isVisible());
    ASSERT_TRUE(Child(d, 1272)->isVisible());
    EXPECT_EQ(Text(d, 1272), Q(u"ランチ"));
    QString title;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<CValueSelectDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        title = chooser->windowTitle();
        rows = chooser->list()->GetItemCount();
        chooser->edit()->setText(Q(u"朝食"));
        chooser->OnCommand(CValueSelectDlg::kIdOk);
    });
    QTest::mouseClick(Child<QLabel>(d, 1272), Qt::LeftButton);
    EXPECT_EQ(title, Q(u"検索文字列"));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(Text(d, 1272), Q(u"朝食"));
    // The end time's chooser offers all day too; its answer takes both times.
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<CTimeSelectDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        title = chooser->windowTitle();
        chooser->OnCommand(CTimeSelectDlg::kIdExtra);
    });
    QTest::mouseClick(Child<QLabel>(d, 1266), Qt::LeftButton);
    EXPECT_EQ(title, Q(u"終了時刻"));
    EXPECT_EQ(Text(d, 1262), Q(u"<終日>"));
    EXPECT_EQ(Text(d, 1266), Q(u"<終日>"));
    d.OnCommand(CFindDlg::kIdRun);
    EXPECT_EQ(app.actionIndex.count(), 0); // 朝食 never lasts all day
    EXPECT_EQ(messages.last().text, u"該当するアクションはありません。");
}

TEST_F(FindDlg, SearchNarrowsTheViewsUntilCleared) {
    app.settings.DispListAfterFind = 1;
    CMainWnd& w = Window(1, 2);
    EXPECT_EQ(Column(1).size(), 4u); // three actions of 11/14 and "<新規作成>"
    SearchFromMainWindow([&](CFindDlg& d) {
        Child<QComboBox>(d, 1254)->setEditText(Q(u"ランチ"));
        SaveScreenshot(&d, QStringLiteral("find_dialog"));
    });
    EXPECT_EQ(messages.last().text, u"2 個のアクションが見つかりました。");
    EXPECT_EQ(app.actionIndex.count(), 2);
    EXPECT_EQ(app.searchCondition,
              u" ( (f_nvcPlace like '%ランチ%') or (f_nvcCategory1 like '%ランチ%') or (f_nvcCategory2 like "
              u"'%ランチ%') or (f_nvcMemo like '%ランチ%') ) ");
    EXPECT_EQ(app.settings.lists.Find.front(), u"ランチ");
    EXPECT_EQ(w.currentView(), 4); // DispListAfterFind
    SaveScreenshot(&w, QStringLiteral("find_list_view"));
    {
        CAboutDlg about(app, &w);
        EXPECT_EQ(about.findChild<QLabel*>("aboutCount")->text().toStdString(), "2(5)");
    }
    // The day view's multi-day query takes the condition too.
    w.OnCommand(Cmd::ViewDay);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"レストラン", ""}));
    // A change of data during the search keeps the narrowing.
    Insert({{"2010/11/14 18:00:00", "2010/11/14 19:00:00", "店", "", "ディナー"}});
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition), S_OK);
    EXPECT_EQ(app.actionIndex.count(), 2);
    w.OnCommand(Cmd::ToolClearFind);
    EXPECT_TRUE(app.searchCondition.empty());
    EXPECT_EQ(app.actionIndex.count(), 6);
    EXPECT_EQ(Column(1).size(), 5u);
    CAboutDlg about(app, &w);
    EXPECT_EQ(about.findChild<QLabel*>("aboutCount")->text().toStdString(), "6");
}

TEST_F(FindDlg, HostileTextFromTheDialogChangesNothing) {
    Window(1, 1);
    const char16_t* hostile = u"'); drop table t_UserData; --";
    Insert({{"2010/11/18 18:00:00", "2010/11/18 19:00:00", "", "", "'); drop table t_UserData; --"}});
    SearchFromMainWindow([&](CFindDlg& d) { Child<QComboBox>(d, 1254)->setEditText(Q(hostile)); });
    ASSERT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(app.actionIndex.StartAt(0), u"2010/11/18 18:00:00");
    EXPECT_EQ(app.settings.lists.Find.front(), hostile);
    ActionIndex all;
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, all), S_OK);
    EXPECT_EQ(all.count(), 6);
}

} // namespace
