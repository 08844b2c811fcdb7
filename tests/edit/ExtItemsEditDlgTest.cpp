// The extended items editor offscreen: controls and value layout by type (with a
// screenshot of each), the text moving when the type changes, create/change/delete from
// the controls, the choosers of both selection modes, apply and discard through
// RunExtItemsEditDlg, and a round trip from the edit dialog into the data file and back.
#include "edit/ExtItemsEditDlg.h"

#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "filedlg/FileSelectDialog.h"
#include "tests/edit/EditDlgTestSupport.h"
#include "tests/support/CalendarLook.h"
#include "tests/support/Screens.h"
#include "views/CommandIds.h"
#include "views/GridListCtrl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QString Q(std::u16string_view text) {
    return ToQString(text);
}

template <class W = QWidget> W* Child(QWidget& dialog, int id) {
    W* widget = dialog.findChild<W*>(QStringLiteral("id%1").arg(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

// The ids of the value controls a dialog shows, in id order.
std::vector<int> ShownValueControls(CExtItemsEditDlg& d) {
    std::vector<int> shown;
    for (int id : {1558, 1559, 1560, 1561, 1562})
        if (Child(d, id)->isVisible()) shown.push_back(id);
    return shown;
}

// Runs `act` on the modal dialog of type T once it is open.
template <class T> void WhenModal(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        act(*modal);
    });
}

void TypeName(CExtItemsEditDlg& d, const char* name) {
    d.nameCombo()->setEditText(QString::fromUtf8(name));
}

// Picks the type as the user does in the drop-down list.
void PickType(CExtItemsEditDlg& d, int type) {
    d.typeCombo()->setCurrentIndex(type);
    emit d.typeCombo()->activated(type);
}

class ExtItemsDlg : public EditDlgFixture {};

TEST_F(ExtItemsDlg, ControlsAndValueLayoutOfEveryType) {
    CExtItemsEditDlg d(u"a:a:int:5:", 1);
    d.show();
    for (auto [id, text] : {std::pair{1550, u"拡張項目編集"},
                            {1, u"変更反映"},
                            {2, u"変更破棄"},
                            {1551, u"名前:"},
                            {1554, u"タイプ:"},
                            {1557, u"値:"},
                            {1563, u"作成"},
                            {1564, u"変更"},
                            {1565, u"削除"},
                            {40002, u"変更"},
                            {40003, u"メニュー"}}) {
        QWidget* w = Child(d, id);
        QString shown =
            qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : qobject_cast<QPushButton*>(w)->text();
        EXPECT_EQ(shown, Q(text)) << id;
    }
    EXPECT_TRUE(Child(d, 1553)->isVisible());
    EXPECT_FALSE(Child(d, 1552)->isVisible());
    EXPECT_FALSE(Child(d, 1566)->isVisible());
    QStringList types;
    for (int i = 0; i < d.typeCombo()->count(); ++i)
        types << d.typeCombo()->itemText(i);
    EXPECT_EQ(types.join(','), "int,float,string,date,time,datetime,File,mlstring");
    QStringList menu;
    for (QAction* action : d.menu()->actions())
        menu << action->text() + "=" + action->data().toString();
    EXPECT_EQ(menu.join(','), Q(u"作成=32781,変更=32782,削除=32785,変更反映=1,変更破棄=2"));

    const std::vector<int> expected[ExtTypeCount] = {
        {1558}, {1558}, {1558}, {1558, 1560}, {1561, 1562}, {1558, 1560, 1561, 1562}, {1558, 1560}, {1559}};
    for (int type = 0; type < ExtTypeCount; ++type) {
        PickType(d, type);
        EXPECT_EQ(ShownValueControls(d), expected[type]) << type;
        SaveScreenshot(&d, QStringLiteral("extitems-type-%1").arg(Q(ExtTypeName(type))));
    }
    // datetime: date and time on one line, the time after the date's "...".
    PickType(d, ExtTypeDateTime);
    EXPECT_EQ(Child(d, 1558)->y(), Child(d, 1561)->y());
    EXPECT_LT(Child(d, 1560)->x(), Child(d, 1561)->x());
}

TEST_F(ExtItemsDlg, SelectingAnItemShowsItsTypeAndSplitValue) {
    CExtItemsEditDlg d(u"a:a:datetime:\"2024/01/02 03:04:05\":b:b:mlstring:\"x\\ny\":c:c:int:7:", 1);
    d.show();
    EXPECT_EQ(d.nameCombo()->currentText(), "a");
    EXPECT_EQ(d.currentType(), ExtTypeDateTime);
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "2024/01/02");
    EXPECT_EQ(Child<QLineEdit>(d, 1561)->text(), "03:04:05");
    SaveScreenshot(&d, QStringLiteral("extitems-datetime-item"));
    QStringList names;
    for (int i = 0; i < d.nameCombo()->count(); ++i)
        names << d.nameCombo()->itemText(i);
    EXPECT_EQ(names.join(','), "a,b,c");
    emit d.nameCombo()->activated(1);
    EXPECT_EQ(d.currentType(), ExtTypeMlString);
    EXPECT_EQ(Child<QPlainTextEdit>(d, 1559)->toPlainText(), "x\ny");
    EXPECT_EQ(ShownValueControls(d), std::vector<int>{1559});

    // An empty text: nothing selected, int, empty fields.
    CExtItemsEditDlg e(std::nullopt, 1);
    EXPECT_EQ(e.editor().selected(), -1);
    EXPECT_EQ(e.nameCombo()->count(), 0);
    EXPECT_EQ(e.currentType(), ExtTypeInt);
}

// A name picked from the open list, by the pointer as a user does, is left selected
// in full in the focused box, so that typing replaces it.
TEST_F(ExtItemsDlg, PickedNameIsSelectedInFullForTypingOver) {
    CExtItemsEditDlg d(u"a:a:int:1:b:b:int:2:c:c:int:3:", 1);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QComboBox* names = d.nameCombo();
    names->showPopup();
    QAbstractItemView* list = names->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QRect row = list->visualRect(names->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_VERIFY(!list->window()->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(d.editor().selected(), 2);
    EXPECT_EQ(names->lineEdit()->selectedText(), "c");
    EXPECT_TRUE(names->hasFocus());
}

TEST_F(ExtItemsDlg, ChangingTheTypeMovesTheTypedText) {
    CExtItemsEditDlg d(std::nullopt, 1);
    d.show();
    PickType(d, ExtTypeString);
    Child<QLineEdit>(d, 1558)->setText("2024/05/06 07:08:09");
    PickType(d, ExtTypeDateTime);
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "2024/05/06");
    EXPECT_EQ(Child<QLineEdit>(d, 1561)->text(), "07:08:09");
    PickType(d, ExtTypeMlString);
    EXPECT_EQ(Child<QPlainTextEdit>(d, 1559)->toPlainText(), "2024/05/06 07:08:09");
    PickType(d, ExtTypeTime);
    EXPECT_EQ(Child<QLineEdit>(d, 1561)->text(), "2024/05/06 07:08:09");
}

TEST_F(ExtItemsDlg, CreateChangeAndDeleteFromTheControls) {
    CExtItemsEditDlg d(std::nullopt, 1);
    d.show();
    TypeName(d, "b");
    PickType(d, ExtTypeFloat);
    Child<QLineEdit>(d, 1558)->setText("1e5");
    d.OnCommand(ExtEditCmd::Create);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"値(float)の3文字目あたりに認識できない文字があります。値を見直してください。");
    Child<QLineEdit>(d, 1558)->setText("1e+5");
    QTest::mouseClick(Child<QPushButton>(d, 1563), Qt::LeftButton);
    TypeName(d, "a");
    PickType(d, ExtTypeDateTime);
    Child<QLineEdit>(d, 1558)->setText("2024/01/02");
    Child<QLineEdit>(d, 1561)->setText("10:00:00");
    d.OnCommand(ExtEditCmd::MenuCreate);
    EXPECT_EQ(messages.count(), 1u);
    EXPECT_EQ(d.nameCombo()->count(), 2);
    EXPECT_EQ(d.nameCombo()->itemText(0), "a");
    EXPECT_EQ(d.nameCombo()->currentText(), "a");

    // The left soft key changes the selected item.
    Child<QLineEdit>(d, 1561)->setText("11:30:00");
    d.OnCommand(ExtEditCmd::SoftChange);
    std::u16string text;
    ASSERT_EQ(d.editor().Apply(text), kExtEdDone);
    EXPECT_EQ(text, u"a:a:datetime:\"2024/01/02 11:30:00\":b:b:float:1e+5:");

    messages.Answer(IDYES);
    d.OnCommand(ExtEditCmd::Delete);
    EXPECT_EQ(messages.last().text, u"項目\"a\"を削除してもよろしいですか？");
    EXPECT_EQ(d.nameCombo()->count(), 1);
    EXPECT_EQ(d.nameCombo()->currentText(), "b");
    EXPECT_EQ(d.currentType(), ExtTypeFloat);
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "1e+5");
}

TEST_F(ExtItemsDlg, ApplyAndDiscardThroughTheModalRun) {
    OptText text = u"w:w:float:65.5:";
    WhenModal<CExtItemsEditDlg>([](CExtItemsEditDlg& d) {
        // The first item is shown: its type and value are the start of the new one.
        EXPECT_EQ(d.currentType(), ExtTypeFloat);
        d.nameCombo()->setEditText("n");
        PickType(d, ExtTypeInt);
        d.findChild<QLineEdit*>("id1558")->setText("3.5");
        d.OnCommand(ExtEditCmd::Create);
        d.findChild<QLineEdit*>("id1558")->setText("3");
        d.OnCommand(ExtEditCmd::Create);
        d.OnCommand(ExtEditCmd::Apply);
    });
    EXPECT_EQ(RunExtItemsEditDlg(nullptr, text), 1);
    EXPECT_EQ(U8(text), "n:n:int:3:w:w:float:65.5:");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"値(int)の2文字目あたりに認識できない文字があります。値を見直してください。");
    messages.Clear();

    // Discard asks even with nothing changed; Cancel stays, OK ends with 2.
    messages.Answer({IDCANCEL, IDOK});
    bool stayed = false;
    WhenModal<CExtItemsEditDlg>([&](CExtItemsEditDlg& d) {
        d.OnCommand(ExtEditCmd::Discard);
        stayed = d.isVisible();
        d.OnCommand(ExtEditCmd::Discard);
    });
    OptText before = text;
    EXPECT_EQ(RunExtItemsEditDlg(nullptr, text), 2);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(text, before);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().caption, u"変更内容破棄確認");

    // Too long a text keeps the dialog open.
    messages.Clear();
    OptText empty;
    WhenModal<CExtItemsEditDlg>([](CExtItemsEditDlg& d) {
        d.nameCombo()->setEditText("s");
        d.typeCombo()->setCurrentIndex(ExtTypeString);
        emit d.typeCombo()->activated(ExtTypeString);
        d.findChild<QLineEdit*>("id1558")->setText(QString(2000, 'x'));
        d.OnCommand(ExtEditCmd::Create);
        d.OnCommand(ExtEditCmd::Apply);
        EXPECT_TRUE(d.isVisible());
        d.reject(); // Escape is discard, which asks; Cancel is the default answer
        EXPECT_TRUE(d.isVisible());
        d.done(2);
    });
    EXPECT_EQ(RunExtItemsEditDlg(nullptr, empty), 2);
    EXPECT_FALSE(empty.has_value());
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].caption, u"拡張項目入力長さオーバー");
    EXPECT_EQ(messages.shown()[1].caption, u"変更内容破棄確認");
}

TEST_F(ExtItemsDlg, DateFileAndTimeChoosers) {
    CExtItemsEditDlg d(u"d:d:date:\"2011/02/03\":", 1);
    d.show();
    d.OnCommand(ExtEditCmd::Chooser);
    ASSERT_TRUE(d.calendar()->isVisible());
    EXPECT_EQ(d.calendar()->selectedDate(), QDate(2011, 2, 3));
    ExpectDiaryCalendarLook(d.calendar());
    // All seven days in view: the calendar is not squeezed below what it needs.
    EXPECT_GE(d.calendar()->width(), d.calendar()->minimumSizeHint().width());
    EXPECT_GE(d.calendar()->height(), d.calendar()->minimumSizeHint().height());
    SaveScreenshot(&d, QStringLiteral("extitems-calendar"));
    d.calendar()->setSelectedDate(QDate(2011, 2, 28));
    emit d.calendar()->clicked(QDate(2011, 2, 28));
    EXPECT_FALSE(d.calendar()->isVisible());
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "2011/02/28");
    // An empty date opens on today (the fixture's clock).
    Child<QLineEdit>(d, 1558)->clear();
    d.OnCommand(ExtEditCmd::Chooser);
    EXPECT_EQ(d.calendar()->selectedDate(), QDate(2010, 11, 17));
    d.OnCommand(ExtEditCmd::Chooser);
    EXPECT_FALSE(d.calendar()->isVisible());

    PickType(d, ExtTypeFile);
    std::u16string title, filter;
    FileSelectRunHook() = [&](FileSelectDialog& chooser, QWidget*) {
        title = chooser.model().title;
        filter = chooser.model().filterText;
        return 2;
    };
    Child<QLineEdit>(d, 1558)->setText("/keep");
    d.OnCommand(ExtEditCmd::Chooser);
    EXPECT_EQ(title, u"入力元");
    EXPECT_EQ(filter, u"すべてのファイル (*.*)|*.*");
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "/keep"); // cancelled: unchanged
    FileSelectRunHook() = nullptr;

    PickType(d, ExtTypeTime);
    Child<QLineEdit>(d, 1561)->setText("not a time");
    int startHour = -1, options = -1;
    QString chooserTitle;
    WhenModal<CTimeSelectDlg>([&](CTimeSelectDlg& t) {
        chooserTitle = t.windowTitle();
        startHour = CTimeSelectDlg::WheelValue(*t.hours());
        options = t.seconds() ? 1 : 0;
        t.OnCommand(CTimeSelectDlg::kIdOk);
    });
    EXPECT_FALSE(d.modified());
    d.OnCommand(ExtEditCmd::TimeChooser);
    EXPECT_EQ(chooserTitle, Q(u"時刻"));
    EXPECT_EQ(startHour, 12);
    EXPECT_EQ(options, 1);
    // OK on the wheels as opened still replaces an unreadable text.
    EXPECT_EQ(Child<QLineEdit>(d, 1561)->text(), "12:00:00");
    EXPECT_TRUE(d.modified());
    WhenModal<CTimeSelectDlg>([&](CTimeSelectDlg& t) {
        startHour = CTimeSelectDlg::WheelValue(*t.hours());
        CTimeSelectDlg::PresetWheel(*t.hours(), 8);
        CTimeSelectDlg::PresetWheel(*t.seconds(), 30);
        t.OnCommand(CTimeSelectDlg::kIdOk);
    });
    d.OnCommand(ExtEditCmd::TimeChooser);
    EXPECT_EQ(Child<QLineEdit>(d, 1561)->text(), "08:00:30");
}

TEST_F(ExtItemsDlg, NameAndTypeChoosersOfItemSelectionMode2) {
    CExtItemsEditDlg d(u"a:a:int:1:b:b:string:\"bee\":", 2);
    d.show();
    EXPECT_FALSE(Child(d, 1553)->isVisible());
    EXPECT_FALSE(Child(d, 1556)->isVisible());
    ASSERT_TRUE(Child(d, 1552)->isVisible());
    EXPECT_EQ(Child<QLabel>(d, 1552)->text(), "a");
    EXPECT_EQ(Child<QLabel>(d, 1555)->text(), "int");
    QString title;
    int rows = 0;
    WhenModal<CValueSelectDlg>([&](CValueSelectDlg& chooser) {
        title = chooser.windowTitle();
        rows = chooser.list()->GetItemCount();
        chooser.edit()->setText("b");
        chooser.OnCommand(CValueSelectDlg::kIdOk);
    });
    QTest::mouseClick(Child<QLabel>(d, 1552), Qt::LeftButton);
    EXPECT_EQ(title, Q(u"名前の選択"));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(d.editor().selected(), 1);
    EXPECT_EQ(Child<QLineEdit>(d, 1558)->text(), "bee");
    EXPECT_EQ(Child<QLabel>(d, 1555)->text(), "string");

    WhenModal<CValueSelectDlg>([&](CValueSelectDlg& chooser) {
        title = chooser.windowTitle();
        rows = chooser.list()->GetItemCount();
        chooser.edit()->setText("mlstring");
        chooser.OnCommand(CValueSelectDlg::kIdOk);
    });
    QTest::mouseClick(Child<QLabel>(d, 1555), Qt::LeftButton);
    EXPECT_EQ(title, Q(u"タイプの選択"));
    EXPECT_EQ(rows, ExtTypeCount);
    EXPECT_EQ(d.currentType(), ExtTypeMlString);
    EXPECT_EQ(Child<QPlainTextEdit>(d, 1559)->toPlainText(), "bee");
    SaveScreenshot(&d, QStringLiteral("extitems-selection-mode-2"));

    // A new name typed in the chooser stays in the field for create.
    WhenModal<CValueSelectDlg>([](CValueSelectDlg& chooser) {
        chooser.edit()->setText("c");
        chooser.OnCommand(CValueSelectDlg::kIdOk);
    });
    QTest::mouseClick(Child<QLabel>(d, 1552), Qt::LeftButton);
    d.OnCommand(ExtEditCmd::Create);
    std::u16string text;
    ASSERT_EQ(d.editor().Apply(text), kExtEdDone);
    EXPECT_EQ(text, u"a:a:int:1:b:b:string:\"bee\":c:c:mlstring:\"bee\":");
}

TEST_F(ExtItemsDlg, RoundTripFromTheEditDialogIntoTheDataFileAndBack) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00", "#w#kg"}});
    app.settings.ActTxtMode = 2; // memo programs on
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    ASSERT_FALSE(d.form().modified);
    WhenModal<CExtItemsEditDlg>([](CExtItemsEditDlg& e) {
        EXPECT_EQ(e.editor().items().size(), 0u);
        e.nameCombo()->setEditText("w");
        e.typeCombo()->setCurrentIndex(ExtTypeFloat);
        emit e.typeCombo()->activated(ExtTypeFloat);
        e.findChild<QLineEdit*>("id1558")->setText("65.5");
        e.OnCommand(ExtEditCmd::Create);
        e.nameCombo()->setEditText("note");
        e.typeCombo()->setCurrentIndex(ExtTypeMlString);
        emit e.typeCombo()->activated(ExtTypeMlString);
        e.findChild<QPlainTextEdit*>("id1559")->setPlainText("line 1\n\"two\"");
        e.OnCommand(ExtEditCmd::Create);
        e.OnCommand(ExtEditCmd::Apply);
    });
    d.OnCommand(EditCmd::MenuExtItems);
    EXPECT_TRUE(d.form().modified);
    EXPECT_EQ(U8(d.form().extItems), "note:note:mlstring:\"line 1\\n\\\"two\\\"\":w:w:float:65.5:");
    // The memo reads the new item at once.
    EXPECT_EQ(Text(EditCmd::Memo), "65.5kg");
    d.OnCommand(EditCmd::Save);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(U8(Stored(0)[ActionField::ExtItems]), U8(d.form().extItems));

    CEditActionDlg& again = Open(EditDlgMode::Change, 0);
    std::string shownValue;
    WhenModal<CExtItemsEditDlg>([&](CExtItemsEditDlg& e) {
        emit e.nameCombo()->activated(0);
        shownValue = e.findChild<QPlainTextEdit*>("id1559")->toPlainText().toStdString();
        messages.Answer(IDOK);
        e.OnCommand(ExtEditCmd::Discard);
    });
    again.OnCommand(EditCmd::MenuExtItems);
    EXPECT_EQ(shownValue, "line 1\n\"two\"");
    EXPECT_FALSE(again.form().modified); // discarded: nothing changes
}

} // namespace
