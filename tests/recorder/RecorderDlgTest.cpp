// The recorder's window under the offscreen platform, on a real data file with a
// settable clock: controls and texts, taps through buttons and soft keys, the in-place
// editors and the selection dialogs, position commands, opening a line, closing and
// quitting, and the screenshots of a chain of five.
#include "recorder/RecorderDlg.h"
#include "app/AppMain.h"
#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "gps/PositionSource.h"
#include "store/DataFileTables.h"
#include "tests/recorder/RecorderTestSupport.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

using namespace RecorderCmd;

class RecorderDlgTest : public RecorderFixture {
protected:
    void SetUp() override {
        RecorderFixture::SetUp();
        RecorderHooks() = RecorderDlgHooks{};
    }
    void TearDown() override {
        dialog.reset();
        RecorderHooks() = RecorderDlgHooks{};
        RecorderFixture::TearDown();
    }
    CRecorderDlg& Dialog() {
        dialog = std::make_unique<CRecorderDlg>(app);
        dialog->show();
        return *dialog;
    }
    QString TextOf(int id) const {
        QWidget* w = dialog->Control(id);
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* button = qobject_cast<QPushButton*>(w)) return button->text();
        return QStringLiteral("<none>");
    }
    void Click(int id) { QTest::mouseClick(dialog->Control(id), Qt::LeftButton); }
    void SetField(int id, const char* text) {
        static_cast<QLabel*>(dialog->Control(id))->setText(QString::fromUtf8(text));
    }
    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < dialog->historyList()->count(); ++i)
            lines.push_back(dialog->historyList()->item(i)->text().toStdString());
        return lines;
    }
    // Runs f once the next modal dialog is up.
    static void WhenModal(std::function<void(QWidget*)> f) {
        QTimer::singleShot(0, [f] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            f(modal);
        });
    }

    std::unique_ptr<CRecorderDlg> dialog;
};

TEST_F(RecorderDlgTest, ControlsMenuAndFirstState) {
    app.settings.StartupMode = 1;
    CRecorderDlg& d = Dialog();
    const std::pair<int, const char*> texts[] = {{Title, "レコーダー"},
                                                 {Quit, "終了"},
                                                 {Close, "閉じる"},
                                                 {TimeLabel, "時刻:"},
                                                 {TimeField, "<現在時刻>"},
                                                 {Now, "・"},
                                                 {LatLabel, "緯度："},
                                                 {LonLabel, "経度："},
                                                 {PlaceLabel, "場所："},
                                                 {Cate1Label, "分類1："},
                                                 {Cate2Label, "分類2："},
                                                 {Clear, "クリア"},
                                                 {Delete, "削除"},
                                                 {Back, "<="},
                                                 {Record, "●"},
                                                 {StopRestart, "◆"},
                                                 {SoftKeyRecord, "記録"},
                                                 {SoftKeyMenu, "メニュー"}};
    for (auto [id, text] : texts)
        EXPECT_EQ(TextOf(id).toStdString(), text) << id;
    EXPECT_TRUE(static_cast<QPushButton*>(d.Control(Record))->isDefault());
    EXPECT_FALSE(d.Control(Back)->isEnabled());
    EXPECT_FALSE(d.Control(StopRestart)->isEnabled());
    EXPECT_FALSE(d.timeEditor()->isVisible());
    EXPECT_EQ(d.historyList()->selectionMode(), QAbstractItemView::ExtendedSelection);
    const std::pair<int, const char*> items[] = {{MenuRecord, "記録"},
                                                 {MenuStopRestart, "再開"},
                                                 {MenuBack, "戻る"},
                                                 {MenuClear, "クリア"},
                                                 {MenuChange, "変更..."},
                                                 {MenuDelete, "削除"},
                                                 {PositionAcquire, "位置取得"},
                                                 {PositionShow, "位置表示"},
                                                 {PositionClear, "位置クリア"},
                                                 {WebMap, "地図表示"},
                                                 {MenuOpenAtStartup, "起動時に開く"},
                                                 {MenuClose, "閉じる"},
                                                 {MenuQuit, "終了"}};
    for (auto [id, text] : items) {
        ASSERT_NE(d.MenuItem(id), nullptr) << id;
        EXPECT_EQ(d.MenuItem(id)->text().toStdString(), text);
    }
    EXPECT_EQ(d.MenuItem(MenuStopRestart)->text().toStdString(), "再開");
    EXPECT_TRUE(d.MenuItem(MenuOpenAtStartup)->isChecked());
    // Toggling goes back to the screen the user had before (none here), and on again.
    d.OnCommand(MenuOpenAtStartup);
    EXPECT_EQ(app.settings.StartupMode, 0);
    d.OnCommand(MenuOpenAtStartup);
    EXPECT_EQ(app.settings.StartupMode, 1);
}

TEST_F(RecorderDlgTest, TapsWithTheInPlaceEditors) {
    app.settings.lists.Place = {u"会社", u"自宅"};
    CRecorderDlg& d = Dialog();
    SetField(PlaceField, "自宅");
    Click(Record);
    EXPECT_EQ(ListLines(), std::vector<std::string>{"2010/11/14 09:00::自宅...::::"});
    EXPECT_EQ(TextOf(StopRestart).toStdString(), "■");
    EXPECT_TRUE(d.Control(Back)->isEnabled());

    // The time editor: "<現在時刻>" and 48 preset times; a four-digit entry is shown as hh:mm.
    QTest::mouseClick(d.Control(TimeField), Qt::LeftButton);
    ASSERT_TRUE(d.timeEditor()->isVisible());
    EXPECT_FALSE(d.Control(TimeField)->isVisible());
    ASSERT_EQ(d.timeEditor()->count(), 49);
    EXPECT_EQ(d.timeEditor()->itemText(0).toStdString(), "<現在時刻>");
    EXPECT_EQ(d.timeEditor()->itemText(48).toStdString(), "23:30");
    d.timeEditor()->setEditText(QStringLiteral("1030"));
    // The place editor opens from a tap on the field, which commits the time first.
    QTest::mouseClick(d.Control(PlaceField), Qt::LeftButton);
    EXPECT_EQ(TextOf(TimeField).toStdString(), "10:30");
    ASSERT_TRUE(d.valueEditor()->isVisible());
    EXPECT_EQ(d.valueEditor()->count(), 2);
    EXPECT_EQ(d.valueEditor()->currentText().toStdString(), "自宅");
    d.valueEditor()->setEditText(QString::fromUtf8("会議室"));
    Click(SoftKeyRecord);
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{"2010/11/14 09:00::自宅－＞会議室::::", "2010/11/14 10:30::会議室...::::"}));
    EXPECT_EQ(app.settings.lists.Place.front(), u"会議室");
    EXPECT_EQ(TextOf(TimeField).toStdString(), "<現在時刻>");
    EXPECT_EQ(d.historyList()->currentRow(), 1);
    EXPECT_TRUE(d.historyList()->item(1)->isSelected());

    // An hour above 23 is refused and the record does not happen.
    QTest::mouseClick(d.Control(TimeField), Qt::LeftButton);
    d.timeEditor()->setEditText(QStringLiteral("2460"));
    Click(Record);
    EXPECT_EQ(messages.last().caption, u"入力値不正");
    EXPECT_FALSE(d.timeEditor()->isVisible());
    EXPECT_TRUE(d.Control(TimeField)->isVisible());
    EXPECT_EQ(d.historyList()->count(), 2);

    // Stop, restart, back, clear through the buttons.
    Click(StopRestart);
    EXPECT_EQ(TextOf(StopRestart).toStdString(), "◆");
    EXPECT_EQ(d.MenuItem(MenuStopRestart)->text().toStdString(), "再開");
    Click(StopRestart);
    EXPECT_EQ(TextOf(StopRestart).toStdString(), "■");
    messages.Answer(IDYES);
    Click(Back);
    EXPECT_EQ(ListLines(), std::vector<std::string>{"2010/11/14 09:00::自宅...::::"});
    Click(Clear);
    EXPECT_EQ(d.historyList()->count(), 0);
    EXPECT_EQ(TextOf(PlaceField).toStdString(), "");
    EXPECT_FALSE(d.Control(Back)->isEnabled());
    EXPECT_EQ(app.actionIndex.count(), 1); // clearing deletes no action
}

TEST_F(RecorderDlgTest, FieldsAreReachedAndOpenedFromTheKeyboard) {
    CRecorderDlg& d = Dialog();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    std::vector<int> reached;
    d.Control(Quit)->setFocus();
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        for (int id : {TimeField, LatField, LonField, PlaceField, Cate1Field, Cate2Field})
            if (QApplication::focusWidget() == d.Control(id)) reached.push_back(id);
    }
    for (int id : {TimeField, LatField, LonField, PlaceField, Cate1Field, Cate2Field})
        EXPECT_NE(std::find(reached.begin(), reached.end(), id), reached.end()) << id;
    d.Control(PlaceField)->setFocus();
    QTest::keyClick(d.Control(PlaceField), Qt::Key_Space);
    EXPECT_TRUE(d.valueEditor()->isVisible());
}

TEST_F(RecorderDlgTest, SelectionDialogsWithItemSelectMode2) {
    app.settings.ItmSelMode = 2;
    app.settings.lists.Category1 = {u"仕事", u"私用"};
    CRecorderDlg& d = Dialog();
    WhenModal([](QWidget* modal) {
        auto* time = qobject_cast<CTimeSelectDlg*>(modal);
        ASSERT_NE(time, nullptr);
        EXPECT_EQ(time->windowTitle().toStdString(), "時刻の選択");
        CTimeSelectDlg::PresetWheel(*time->hours(), 7);
        CTimeSelectDlg::PresetWheel(*time->minutes(), 45);
        time->OnCommand(CTimeSelectDlg::kIdOk);
    });
    d.OnCommand(TimeField);
    EXPECT_EQ(TextOf(TimeField).toStdString(), "07:45");
    EXPECT_FALSE(d.timeEditor()->isVisible());
    WhenModal([](QWidget* modal) { static_cast<CTimeSelectDlg*>(modal)->OnCommand(CTimeSelectDlg::kIdExtra); });
    d.OnCommand(TimeField);
    EXPECT_EQ(TextOf(TimeField).toStdString(), "<現在時刻>");

    WhenModal([](QWidget* modal) {
        auto* values = qobject_cast<CValueSelectDlg*>(modal);
        ASSERT_NE(values, nullptr);
        EXPECT_EQ(values->windowTitle().toStdString(), "分類1の選択");
        values->edit()->setText(QString::fromUtf8("会議"));
        values->OnCommand(CValueSelectDlg::kIdOk);
    });
    d.OnCommand(Cate1Field);
    EXPECT_EQ(TextOf(Cate1Field).toStdString(), "会議");
    EXPECT_EQ(app.settings.lists.Category1.front(), u"会議");
}

TEST_F(RecorderDlgTest, PositionCommands) {
    CRecorderDlg& d = Dialog();
    SetField(LatField, "1/2/3.000000");
    SetField(LonField, "4/5/6.000000");
    // No daemon: the fields come back and the user is told.
    SetPositionDaemon("127.0.0.1", "1");
    d.OnCommand(PositionAcquire);
    EXPECT_EQ(TextOf(LatField).toStdString(), "1/2/3.000000");
    EXPECT_EQ(TextOf(LonField).toStdString(), "4/5/6.000000");
    EXPECT_TRUE(d.Control(LatField)->isEnabled());
    EXPECT_EQ(messages.last().caption, u"位置情報取得エラー");
    d.OnCommand(PositionShow);
    EXPECT_EQ(messages.last().text, u"位置情報は未取得です。");

    // A daemon that accepts but stays silent: the request waits with "取得中".
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    SetPositionDaemon("127.0.0.1", std::to_string(silent.serverPort()));
    QTest::mouseClick(d.Control(LatField), Qt::LeftButton);
    EXPECT_EQ(TextOf(LatField).toStdString(), "取得中");
    EXPECT_EQ(TextOf(LonField).toStdString(), "取得中");
    EXPECT_FALSE(d.Control(LonField)->isEnabled());
    // The fix as the worker leaves it, then its command.
    CurrentPositionListener()->latitude = 35.5;
    CurrentPositionListener()->longitude = 139.75;
    messages.Answer(IDNO);
    d.OnCommand(PositionFix);
    EXPECT_EQ(messages.last().text,
              u"位置情報を取得しました。値を取り込みますか？\nLat:35/30/0.000000\nLon:139/45/0.000000");
    EXPECT_EQ(TextOf(LatField).toStdString(), "1/2/3.000000");
    EXPECT_TRUE(d.Control(LonField)->isEnabled());
    messages.Answer(IDYES);
    d.OnCommand(PositionShow);
    EXPECT_EQ(TextOf(LatField).toStdString(), "35/30/0.000000");
    EXPECT_EQ(TextOf(LonField).toStdString(), "139/45/0.000000");
    StopPositionSource();

    double shownLat = 0, shownLon = 0;
    RecorderHooks().openWebMap = [&](QWidget*, double lat, double lon) {
        shownLat = lat;
        shownLon = lon;
        return 0;
    };
    d.OnCommand(WebMap);
    EXPECT_DOUBLE_EQ(shownLat, 35.5);
    EXPECT_DOUBLE_EQ(shownLon, 139.75);
    d.OnCommand(PositionClear);
    EXPECT_EQ(TextOf(LatField).toStdString(), "");
    d.OnCommand(WebMap);
    EXPECT_EQ(messages.last().text, u"位置情報が未取得です。");
}

TEST_F(RecorderDlgTest, ATapOnALineOpensItsActionForChange) {
    CRecorderDlg& d = Dialog();
    SetField(PlaceField, "A");
    Click(Record);
    SetField(PlaceField, "B");
    SetFixedClock(2010, 11, 14, 9, 30, 0);
    Click(Record);
    std::vector<std::pair<int, std::u16string>> opened;
    RecorderHooks().runEditDialog = [&](QWidget*, int mode) {
        opened.push_back({mode, app.selectedActionId});
        // The edit dialog deletes the action it shows.
        OpenTables()->userData->DeleteAction(app.selectedActionId);
        RefreshIndexAfterSave(*OpenTables()->userData, app.actionIndex, app.selectedActionId);
        return 1;
    };
    const std::u16string first = app.recorder.history.ids[0];
    QListWidget* list = d.historyList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::pair<int, std::u16string>{2, first}));
    // The refill after the dialog drops the deleted line.
    EXPECT_EQ(ListLines(), std::vector<std::string>{"2010/11/14 09:30::B...::::"});
    EXPECT_EQ(StoredHistory(), app.recorder.history.ids);

    // "変更..." needs exactly one selected line.
    list->clearSelection();
    d.OnCommand(MenuChange);
    EXPECT_EQ(messages.last().caption, u"変更不可");
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(RecorderDlgTest, DeleteOfSelectedLines) {
    CRecorderDlg& d = Dialog();
    for (int minute : {0, 10, 20}) {
        SetFixedClock(2010, 11, 14, 9, minute, 0);
        Click(Record);
    }
    QListWidget* list = d.historyList();
    list->clearSelection();
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    messages.Answer(IDYES);
    Click(Delete);
    EXPECT_EQ(messages.last().text, u"これらの 2個のアクションを削除しますか？");
    EXPECT_EQ(ListLines(), std::vector<std::string>{"2010/11/14 09:20::...::::"});
    EXPECT_EQ(app.actionIndex.count(), 1);
}

TEST_F(RecorderDlgTest, CloseStoresTheFieldsAndQuitClosesTheMainWindow) {
    CRecorderDlg& d = Dialog();
    SetField(PlaceField, "港");
    SetField(Cate1Field, "散歩");
    SetField(LatField, "35/0/0.000000");
    SetField(TimeField, "08:15");
    d.OnCommand(Close);
    EXPECT_EQ(d.result(), kRecorderClosed);
    EXPECT_EQ(app.recorder.place, u"港");
    EXPECT_EQ(app.recorder.category1, u"散歩");
    EXPECT_EQ(app.recorder.latitude, u"35/0/0.000000");
    EXPECT_EQ(app.recorder.date + u" " + app.recorder.time, u"2010/11/14 08:15");
    EXPECT_TRUE(app.recorder.changed);

    // A restart of the program: the fields come back.
    RestartProgram();
    CRecorderDlg& again = Dialog();
    EXPECT_EQ(TextOf(PlaceField).toStdString(), "港");
    EXPECT_EQ(TextOf(TimeField).toStdString(), "08:15");
    EXPECT_EQ(TextOf(LatField).toStdString(), "35/0/0.000000");

    QWidget mainWindow;
    mainWindow.show();
    QTimer::singleShot(0, [] {
        auto* recorder = qobject_cast<CRecorderDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(recorder, nullptr);
        recorder->OnCommand(MenuQuit);
    });
    EXPECT_EQ(RunRecorderDlg(app, &mainWindow), kRecorderQuit);
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow.isVisible());
    (void)again;
}

TEST_F(RecorderDlgTest, ScreenshotsOfAChainOfFive) {
    app.settings.PlaceSepaStr = u"－＞";
    CRecorderDlg& d = Dialog();
    d.resize(360, 480);
    const char* places[] = {"自宅", "駅", "会社", "会社", "食堂"};
    const char* categories[] = {"私用", "移動", "仕事", "会議", "昼食"};
    const int minutes[] = {7 * 60 + 30, 8 * 60 + 5, 8 * 60 + 50, 10 * 60, 12 * 60 + 5};
    for (int i = 0; i < 5; ++i) {
        SetFixedClock(2010, 11, 14, minutes[i] / 60, minutes[i] % 60, 0);
        SetField(PlaceField, places[i]);
        SetField(Cate1Field, categories[i]);
        Click(Record);
    }
    ASSERT_EQ(d.historyList()->count(), 5);
    EXPECT_EQ(ListLines().front(), "2010/11/14 07:30::自宅－＞駅::私用::");
    EXPECT_EQ(ListLines()[2], "2010/11/14 08:50::会社::仕事::");
    EXPECT_EQ(ListLines().back(), "2010/11/14 12:05::食堂...::昼食::");
    EXPECT_FALSE(SaveScreenshot(&d, QStringLiteral("recorder-chain-of-five")).isEmpty());
    SetFixedClock(2010, 11, 14, 12, 40, 0);
    Click(StopRestart);
    EXPECT_EQ(ListLines().back(), "2010/11/14 12:05::食堂::昼食::");
    EXPECT_FALSE(SaveScreenshot(&d, QStringLiteral("recorder-chain-stopped")).isEmpty());
}

} // namespace

// The program's own entries: start-up mode 1 opens the recorder over the shown main
// window, and quitting it ends the main window too.
TEST(RecorderStartup, StartupMode1OpensTheRecorderAndQuitEndsTheProgram) {
    TempDir dir;
    ScriptedMessages messages;
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    ASSERT_EQ(CreateDataFile(dir.file16("user.sdf")), S_OK);
    CloseDataFile();
    TempDir::WriteBytes(dir.file("TideLog.dat"),
                        ToCp932(u"[System]\r\nVersion:3.2.2010.1114\r\nStartupMode:1\r\n\r\n"));
    ViewHooks() = MainWndHooks{};
    InstallDialogHooks();
    CMainApp app;
    SetApp(&app);
    std::unique_ptr<CMainWnd> window = InitApplication(app);
    ASSERT_NE(window, nullptr);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* recorder = qobject_cast<CRecorderDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(recorder, nullptr);
        seen = true;
        EXPECT_EQ(recorder->parentWidget(), window.get());
        EXPECT_TRUE(recorder->MenuItem(MenuOpenAtStartup)->isChecked());
        recorder->OnCommand(Record);
        recorder->OnCommand(Quit);
    });
    EXPECT_EQ(RunStartupDialog(app, *window), 1);
    EXPECT_TRUE(seen);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(app.actionIndex.count(), 1);
    window.reset();
    app.ShutdownApplication();
    ViewHooks() = MainWndHooks{};
    SetApp(nullptr);
    SetClockSource({});
    EXPECT_EQ(messages.count(), 0u);
}
