// The value selection and time selection dialogs: controls and their ids, a tap on a
// row against a drag, OK with a typed text, the wheels' value row and presetting, the
// extra choice and the missing seconds wheel.
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"
#include "views/GridListCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

template <class T> T* Control(QWidget& dialog, int id) {
    return dialog.findChild<T*>(QStringLiteral("id%1").arg(id));
}

QString RowText(CGridListCtrl& list, int row) {
    GridListItem item;
    list.CopyItem(row, &item);
    return item.text.value_or(QStringLiteral("<none>"));
}

ValueSelectRequest Places() {
    ValueSelectRequest request;
    request.initialValue = u"自宅";
    request.list = {u"自宅", u"会社", u"駅前の喫茶店", u"図書館", u"", u"空きの後"};
    return request;
}

TEST(ValueSelectDlg, ControlsTitleEditAndListUpToTheFirstEmptyValue) {
    ValueSelectRequest request = Places();
    CValueSelectDlg dialog(request);
    for (int id : {1600, 1601})
        EXPECT_NE(Control<QPushButton>(dialog, id), nullptr) << id;
    ASSERT_NE(Control<QLabel>(dialog, 1602), nullptr);
    EXPECT_EQ(Control<QLabel>(dialog, 1602)->text(), QString::fromUtf16(u"値の選択"));
    EXPECT_EQ(Control<QLineEdit>(dialog, 1603)->text(), QString::fromUtf16(u"自宅"));
    CGridListCtrl* list = Control<CGridListCtrl>(dialog, 1604);
    ASSERT_EQ(list, dialog.list());
    ASSERT_EQ(list->GetItemCount(), 4);
    EXPECT_EQ(RowText(*list, 2), QString::fromUtf16(u"駅前の喫茶店"));
    dialog.show();
    EXPECT_EQ(list->GetRowHeight(-1), 2 * QFontMetrics(list->font()).height());
    for (int slot = 0; slot < kGridColorCount; ++slot) {
        QColor c = list->GetColor(slot);
        EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << "slot " << slot << " is a grey";
    }

    ValueSelectRequest titled;
    titled.title = u"場所の選択";
    titled.list = {u"a", u"b", u"c"};
    titled.listCapacity = 2;
    CValueSelectDlg second(titled);
    EXPECT_EQ(Control<QLabel>(second, 1602)->text(), QString::fromUtf16(u"場所の選択"));
    EXPECT_EQ(second.edit()->text(), QString());
    EXPECT_EQ(second.list()->GetItemCount(), 2) << "no more than the capacity";
}

TEST(ValueSelectDlg, TapOnARowEndsAtOnceWithItsText) {
    ValueSelectRequest request = Places();
    bool tapped = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CValueSelectDlg*>(QApplication::activeModalWidget());
        if (!dialog) return;
        CGridListCtrl* list = dialog->list();
        QRect row;
        list->GetRowRect(1, &row);
        QPoint centre(row.width() / 2, row.height() + row.height() / 2);
        QTest::mousePress(list, Qt::LeftButton, {}, centre);
        QTest::mouseRelease(list, Qt::LeftButton, {}, centre);
        tapped = true;
    });
    EXPECT_EQ(RunValueSelectDlg(nullptr, request), 1);
    EXPECT_TRUE(tapped);
    ASSERT_TRUE(request.result.has_value());
    EXPECT_EQ(*request.result, u"会社");
}

TEST(ValueSelectDlg, DragScrollsTheListWithoutChoosing) {
    ValueSelectRequest request = Places();
    CValueSelectDlg dialog(request);
    dialog.show();
    CGridListCtrl* list = dialog.list();
    list->SetFlickTimerEnabled(false);
    std::uint32_t tick = 0;
    list->SetTickSource([&] { return tick; });
    int h = list->GetRowHeight(-1);
    EXPECT_EQ(dialog.focusWidget(), dialog.edit());
    QTest::mousePress(list, Qt::LeftButton, {}, QPoint(20, h + h / 2));
    EXPECT_EQ(dialog.focusWidget(), list) << "a press takes the focus";
    for (int dy = 5; dy <= 2 * list->DragThresholdY(); dy += 5) {
        tick += 10;
        QTest::mouseMove(list, QPoint(20, h + h / 2 - dy));
    }
    EXPECT_EQ(list->GetScrollMode(), 1);
    QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(20, h + h / 2 - 2 * list->DragThresholdY()));
    while (list->FlickStep()) {
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_FALSE(request.result.has_value());
    // The row under a tap after the drag still chooses it.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(20, h / 2));
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(request.result, RowText(*list, list->GetTopIndex()).toStdU16String());
}

TEST(ValueSelectDlg, OkTakesTheTypedTextAndCancelTakesNothing) {
    ValueSelectRequest request; // an empty list: only the edit line counts
    CValueSelectDlg dialog(request);
    dialog.show();
    EXPECT_EQ(dialog.list()->GetItemCount(), 0);
    QTest::keyClicks(dialog.edit(), QStringLiteral("abc"));
    dialog.OnCommand(CValueSelectDlg::kIdOk);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(request.result, u"abc");

    ValueSelectRequest emptied = Places();
    CValueSelectDlg second(emptied);
    second.show();
    second.edit()->clear();
    QTest::mouseClick(Control<QPushButton>(second, 1600), Qt::LeftButton);
    EXPECT_EQ(second.result(), 1);
    EXPECT_EQ(emptied.result, u"") << "an empty line is a result too";

    ValueSelectRequest cancelled = Places();
    CValueSelectDlg third(cancelled);
    third.show();
    QTest::mouseClick(Control<QPushButton>(third, 1601), Qt::LeftButton);
    EXPECT_EQ(third.result(), 2);
    EXPECT_FALSE(cancelled.result.has_value());
    CValueSelectDlg fourth(cancelled);
    fourth.show();
    QTest::keyClick(&fourth, Qt::Key_Escape);
    EXPECT_EQ(fourth.result(), 2) << "Escape is cancel, not 0";
}

TimeSelectRequest Time(int h, int m, int s, unsigned options = 1) {
    TimeSelectRequest request;
    request.options = options;
    request.title = u"開始時刻";
    request.hour = h;
    request.minute = m;
    request.second = s;
    return request;
}

TEST(TimeSelectDlg, WheelsArePresetSoTheValueRowHoldsTheInitialTime) {
    struct Case {
        int h, m, s;
        int topH, topM, topS;
    } cases[] = {
        {7, 45, 30, 4, 42, 27},
        {0, 1, 2, 21, 58, 59},
        {23, 59, 59, 20, 56, 56},
        {25, 60, -1, 21, 57, 57}, // out of range: each wheel starts at 0
    };
    for (const Case& c : cases) {
        TimeSelectRequest request = Time(c.h, c.m, c.s);
        CTimeSelectDlg dialog(request);
        dialog.show();
        EXPECT_EQ(dialog.hours()->GetTopIndex(), c.topH) << c.h;
        EXPECT_EQ(dialog.minutes()->GetTopIndex(), c.topM) << c.m;
        EXPECT_EQ(dialog.seconds()->GetTopIndex(), c.topS) << c.s;
        dialog.OnCommand(CTimeSelectDlg::kIdOk);
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(request.resultHour, c.h >= 0 && c.h < 24 ? c.h : 0);
        EXPECT_EQ(request.resultMinute, c.m >= 0 && c.m < 60 ? c.m : 0);
        EXPECT_EQ(request.resultSecond, c.s >= 0 && c.s < 60 ? c.s : 0);
    }
}

TEST(TimeSelectDlg, WheelsHoldTwoDigitTextsWrapAndMoveTheirValue) {
    TimeSelectRequest request = Time(22, 0, 0);
    CTimeSelectDlg dialog(request);
    dialog.show();
    ASSERT_EQ(Control<CGridListCtrl>(dialog, 1654), dialog.hours());
    ASSERT_EQ(Control<CGridListCtrl>(dialog, 1655), dialog.minutes());
    ASSERT_EQ(Control<CGridListCtrl>(dialog, 1656), dialog.seconds());
    EXPECT_EQ(dialog.hours()->GetItemCount(), 24);
    EXPECT_EQ(dialog.minutes()->GetItemCount(), 60);
    EXPECT_EQ(dialog.seconds()->GetItemCount(), 60);
    EXPECT_EQ(RowText(*dialog.hours(), 5), QStringLiteral("05"));
    EXPECT_EQ(RowText(*dialog.minutes(), 59), QStringLiteral("59"));
    EXPECT_EQ(dialog.hours()->GetStyleBits(kGridWrapAround), kGridWrapAround);

    // Drag the hours wheel up by one row, slowly: the value steps from 22 to 23, then 0.
    CGridListCtrl* hours = dialog.hours();
    hours->SetFlickTimerEnabled(false);
    std::uint32_t tick = 0;
    hours->SetTickSource([&] { return tick; });
    int h = hours->GetRowHeight(-1);
    for (int expected : {23, 0}) {
        QTest::mousePress(hours, Qt::LeftButton, {}, QPoint(10, 2 * h));
        tick += 1000;
        QTest::mouseMove(hours, QPoint(10, h));
        QTest::mouseRelease(hours, Qt::LeftButton, {}, QPoint(10, h));
        while (hours->FlickStep()) {
        }
        EXPECT_EQ(CTimeSelectDlg::WheelValue(*hours), expected);
    }
    QTest::keyClick(dialog.minutes(), Qt::Key_Up);
    dialog.OnCommand(CTimeSelectDlg::kIdLeftSoftKey);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(request.resultHour, 0);
    EXPECT_EQ(request.resultMinute, 59);
}

TEST(TimeSelectDlg, ExtraChoiceGivesHour25AndIsOnlyThereWhenAsked) {
    TimeSelectRequest request = Time(9, 30, 15);
    request.showExtra = true;
    request.extraCaption = u"終日";
    CTimeSelectDlg dialog(request);
    dialog.show();
    QPushButton* extra = Control<QPushButton>(dialog, 1657);
    ASSERT_NE(extra, nullptr);
    EXPECT_TRUE(extra->isVisible());
    EXPECT_EQ(extra->text(), QString::fromUtf16(u"終日"));
    QTest::mouseClick(extra, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(request.resultHour, 25);
    EXPECT_EQ(request.resultMinute, 0);
    EXPECT_EQ(request.resultSecond, 0);

    TimeSelectRequest plain = Time(9, 30, 15);
    CTimeSelectDlg second(plain);
    second.show();
    EXPECT_FALSE(Control<QPushButton>(second, 1657)->isVisible());
    second.OnCommand(CTimeSelectDlg::kIdExtra);
    EXPECT_TRUE(second.isVisible()) << "no extra choice was offered";
    second.OnCommand(1); // IDOK
    EXPECT_EQ(second.result(), 1);
    EXPECT_EQ(plain.resultHour, 9);
    EXPECT_EQ(plain.resultSecond, 15);
}

TEST(TimeSelectDlg, WithoutTheSecondsWheelTheSecondIsZeroAndCancelIsTwo) {
    TimeSelectRequest request = Time(12, 34, 56, 0);
    CTimeSelectDlg dialog(request);
    dialog.show();
    EXPECT_EQ(Control<CGridListCtrl>(dialog, 1656), nullptr);
    EXPECT_EQ(dialog.seconds(), nullptr);
    QTest::mouseClick(Control<QPushButton>(dialog, 1650), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(request.resultHour, 12);
    EXPECT_EQ(request.resultMinute, 34);
    EXPECT_EQ(request.resultSecond, 0);

    TimeSelectRequest cancelled = Time(1, 2, 3);
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<CTimeSelectDlg*>(QApplication::activeModalWidget())) {
            opened = true;
            QTest::mouseClick(Control<QPushButton>(*d, 1651), Qt::LeftButton);
        }
    });
    EXPECT_EQ(RunTimeSelectDlg(nullptr, cancelled), 2);
    EXPECT_TRUE(opened);
    EXPECT_EQ(cancelled.resultHour, 0) << "nothing written on cancel";
}

TEST(ValueDialogs, Screenshots) {
    ValueSelectRequest places = Places();
    places.title = u"場所の選択";
    CValueSelectDlg select(places);
    select.show();
    select.list()->SetPressedIndex(1);
    EXPECT_FALSE(SaveScreenshot(&select, QStringLiteral("value_select")).isEmpty());

    TimeSelectRequest start = Time(9, 30, 15);
    start.showExtra = true;
    start.extraCaption = u"終日";
    CTimeSelectDlg withSeconds(start);
    withSeconds.show();
    EXPECT_FALSE(SaveScreenshot(&withSeconds, QStringLiteral("time_select_seconds")).isEmpty());

    TimeSelectRequest end = Time(18, 5, 0, 0);
    end.title = u"終了時刻";
    CTimeSelectDlg noSeconds(end);
    noSeconds.show();
    EXPECT_FALSE(SaveScreenshot(&noSeconds, QStringLiteral("time_select")).isEmpty());
}

} // namespace
