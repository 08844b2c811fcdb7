// The action edit dialog offscreen: opening modes, the time rules, saving with its
// questions, continuous input, navigation, delete, pick lists and the memo language.
#include "core/Clock.h"
#include "core/Utf.h"
#include "edit/WebMap.h"
#include "store/DataFileTables.h"
#include "tests/edit/EditDlgTestSupport.h"
#include "tests/support/CalendarLook.h"
#include "tests/support/Screens.h"
#include "views/CommandIds.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

namespace {

using EditDlg = EditDlgFixture;

// No file may grow past bytes while the object lives: a full disk for the data file.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes) : previous_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        struct rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit saved_ {};
    void (*previous_)(int);
};

// Types into the floating list that is open and commits it.
void TypeIntoList(CEditActionDlg& d, const char* text) {
    ASSERT_TRUE(d.floatingList()->isVisible());
    d.floatingList()->setEditText(QString::fromUtf8(text));
    d.CommitInPlaceEditor();
    d.Refresh();
}

// Tabs forward until the widget with the id has the focus (at most 40 steps). The
// window's own focus widget: the offscreen platform leaves no window active after an
// editor's completer popup closes, where a desktop gives the activation back.
bool TabTo(QWidget& window, int id) {
    for (int i = 0; i < 40; ++i) {
        QWidget* focus = window.focusWidget();
        if (focus && focus->objectName() == QStringLiteral("id%1").arg(id)) return true;
        QTest::keyClick(focus ? focus : &window, Qt::Key_Tab);
    }
    return false;
}

TEST_F(EditDlg, FieldsAreReachedAndOpenedFromTheKeyboard) {
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    ASSERT_TRUE(TabTo(d, EditCmd::Place));
    QTest::keyClick(d.focusWidget(), Qt::Key_Space);
    ASSERT_EQ(d.openEditor(), InPlaceEditor::Place);
    QTest::keyClicks(d.focusWidget(), QStringLiteral("Park"));
    QTest::keyClick(d.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(d.openEditor(), InPlaceEditor::None);
    EXPECT_EQ(Text(EditCmd::Place), "Park");
    // That Return only closed the list: it did not also press "閉じる" (the default button).
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_TRUE(d.isVisible());
    ASSERT_TRUE(TabTo(d, EditCmd::Cate1));
    QTest::keyClick(d.focusWidget(), Qt::Key_F2);
    EXPECT_EQ(d.openEditor(), InPlaceEditor::Category1);
    QTest::keyClicks(d.focusWidget(), QStringLiteral("Walk"));
    QTest::keyClick(d.focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(TabTo(d, EditCmd::Save));
    QTest::keyClick(d.focusWidget(), Qt::Key_Space);
    ASSERT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(U8(Stored(0)[ActionField::Place]), "Park");
    EXPECT_EQ(U8(Stored(0)[ActionField::Category1]), "Walk");
}

TEST_F(EditDlg, NewActionOnTheShownDayAndSavedAsTyped) {
    CEditActionDlg& d = Open(EditDlgMode::New);
    EXPECT_EQ(Text(EditCmd::Title), "新規作成");
    EXPECT_EQ(Text(EditCmd::Save), "作成");
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/14");
    EXPECT_EQ(Text(EditCmd::StartTime), "12:00"); // not today
    EXPECT_EQ(Text(EditCmd::StartLabel), "開始：");
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "港");
    d.OnCommand(EditCmd::SoftSave);
    EXPECT_EQ(d.result(), 1);
    ASSERT_EQ(app.actionIndex.count(), 1);
    ActionRecord r = Stored(0);
    EXPECT_EQ(U8(r[ActionField::StaDateTime]), "2010/11/14 12:00:00");
    EXPECT_EQ(U8(r[ActionField::EndDateTime]), "2010/11/14 12:00:00");
    EXPECT_EQ(U8(r[ActionField::Place]), "港");
    EXPECT_EQ(U8(r[ActionField::Latitude]), "<null>");
    EXPECT_EQ(ToUtf8(app.settings.lists.Place.at(0)), "港");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(EditDlg, NewTimesByTheInitialisationMode) {
    app.shownDate = {2010, 11, 17}; // today, 09:40
    struct Case {
        int mode;
        const char* time;
    } cases[] = {{1, "09:40"}, {2, "09:30"}, {3, "<終日>"}, {0, ""}};
    for (const Case& c : cases) {
        app.settings.TimeInitForNewMode = c.mode;
        Open(EditDlgMode::New);
        EXPECT_EQ(Text(EditCmd::StartTime), c.time) << c.mode;
        EXPECT_EQ(Text(EditCmd::EndTime), c.time) << c.mode;
    }
    SetFixedClock(2010, 11, 17, 9, 20, 0);
    app.settings.TimeInitForNewMode = 2;
    Open(EditDlgMode::New);
    EXPECT_EQ(Text(EditCmd::StartTime), "09:00");
}

TEST_F(EditDlg, AllDayStoredAsWholeDayAndRecognisedByTheEnd) {
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::StartTime);
    EXPECT_EQ(d.floatingList()->itemText(0).toStdString(), "<終日>");
    EXPECT_EQ(d.floatingList()->count(), 49);
    TypeIntoList(d, "<終日>");
    EXPECT_EQ(Text(EditCmd::EndTime), "<終日>");
    EXPECT_FALSE(d.findChild<QWidget*>("id1110")->isEnabled());
    d.OnCommand(EditCmd::Save);
    ActionRecord r = Stored(0);
    EXPECT_EQ(U8(r[ActionField::StaDateTime]), "2010/11/14 00:00:00");
    EXPECT_EQ(U8(r[ActionField::EndDateTime]), "2010/11/14 24:00:00");
    // Only the end time "24:00" makes an action all-day on reading.
    Insert({{"2010/11/15 00:00:00", "2010/11/15 24:00:00"}, {"2010/11/16 00:00:00", "2010/11/16 23:00:00"}});
    Open(EditDlgMode::Change, 1);
    EXPECT_EQ(Text(EditCmd::StartTime), "<終日>");
    Open(EditDlgMode::Change, 2);
    EXPECT_EQ(Text(EditCmd::StartTime), "00:00");
    EXPECT_EQ(Text(EditCmd::EndTime), "23:00");
}

TEST_F(EditDlg, StartAndEndDragEachOther) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    d.OnCommand(EditCmd::StartTime);
    TypeIntoList(d, "1230");
    EXPECT_EQ(Text(EditCmd::EndTime), "12:30");
    d.OnCommand(EditCmd::EndTime);
    EXPECT_EQ(d.floatingList()->count(), 48);
    TypeIntoList(d, "08:15");
    EXPECT_EQ(Text(EditCmd::StartTime), "08:15");
    d.form().SetEndDate(u"2010/11/13");
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/14"); // shown after Refresh only
    d.Refresh();
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/13");
    // An unreadable time is refused and the old one stays.
    d.OnCommand(EditCmd::StartTime);
    TypeIntoList(d, "25:99");
    EXPECT_EQ(Text(EditCmd::StartTime), "08:15");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"入力した時刻の値が不正です。入力値を見直してください。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(EditDlg, ChangedStartDateAsksOnceAndCancelSavesNothing) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00", "a"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "駅");
    d.OnCommand(EditCmd::Save); // same start date: no question
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(U8(Stored(0)[ActionField::Place]), "駅");

    CEditActionDlg& e = Open(EditDlgMode::Change, 0);
    e.form().SetStartDate(u"2010/11/10");
    messages.Answer(IDCANCEL);
    e.OnCommand(EditCmd::Save);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"開始日変更確認");
    EXPECT_EQ(messages.last().flags, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(U8(Stored(0)[ActionField::StaDateTime]), "2010/11/14 10:00:00");
    EXPECT_TRUE(e.isVisible());
    messages.Answer(IDOK);
    e.OnCommand(EditCmd::Save);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(U8(Stored(0)[ActionField::StaDateTime]), "2010/11/10 10:00:00");
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 10}));
}

TEST_F(EditDlg, ContinuousInputStaysOpenAndTheSecondSaveUpdates) {
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::ToolContinuous);
    d.OnCommand(EditCmd::Save);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Text(EditCmd::Title), "変更");
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(app.settings.EditOpeCont, 1);
    d.OnCommand(EditCmd::Cate1);
    TypeIntoList(d, "仕事");
    d.OnCommand(EditCmd::Save);
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(U8(Stored(0)[ActionField::Category1]), "仕事");
}

// A create or change that the disk cannot take tells the write failure alone (not
// also "入力値が不正です…"); the dialog stays open with the input as typed, and once
// there is room again the same input is saved. The close question's Yes fails alike.
TEST_F(EditDlg, AFailedWriteIsToldAloneAndKeepsTheInput) {
    Insert({{"2010/11/01 10:00:00", "2010/11/01 11:00:00", "short", "old"}});
    // The longest memo (6,000 bytes stored) needs a new page of the data file.
    const std::u16string longMemo(2000, u'あ');
    const long long full = static_cast<long long>(std::filesystem::file_size(dir.file("user.sdf")));
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "港");
    d.form().CommitMemo(longMemo, false);
    {
        FileSizeLimit limit(full);
        d.OnCommand(EditCmd::SoftSave);
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"アクション作成エラー");
    EXPECT_EQ(messages.last().text.rfind(u"アクションの作成に失敗しました。(", 0), 0u) << ToUtf8(messages.last().text);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Text(EditCmd::Title), "新規作成");
    EXPECT_EQ(Text(EditCmd::Place), "港");
    EXPECT_EQ(d.form().memo, longMemo);
    EXPECT_EQ(app.actionIndex.count(), 1);
    d.OnCommand(EditCmd::SoftSave);
    EXPECT_EQ(d.result(), 1);
    ASSERT_EQ(app.actionIndex.count(), 2);
    EXPECT_EQ(U8(Stored(1)[ActionField::Place]), "港");

    messages.Clear();
    CEditActionDlg& e = Open(EditDlgMode::Change, 0);
    e.OnCommand(EditCmd::Place);
    TypeIntoList(e, "新");
    e.form().CommitMemo(longMemo, false);
    const long long grown = static_cast<long long>(std::filesystem::file_size(dir.file("user.sdf")));
    {
        FileSizeLimit limit(grown);
        e.OnCommand(EditCmd::Save);
        messages.Answer(IDYES);
        e.OnCommand(EditCmd::Close);
    }
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[0].caption, u"アクション変更エラー");
    EXPECT_EQ(messages.shown()[1].caption, u"変更確認");
    EXPECT_EQ(messages.shown()[2].caption, u"アクション変更エラー");
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(Text(EditCmd::Title), "変更");
    EXPECT_EQ(Text(EditCmd::Place), "新");
    EXPECT_EQ(e.form().memo, longMemo);
    EXPECT_EQ(U8(Stored(0)[ActionField::Place]), "old");
    e.OnCommand(EditCmd::Save);
    EXPECT_EQ(e.result(), 1);
    EXPECT_EQ(U8(Stored(0)[ActionField::Place]), "新");
    EXPECT_EQ(U8(Stored(0)[ActionField::Memo]), ToUtf8(longMemo));
}

TEST_F(EditDlg, NextPastTheLastIsTodayAndNewIsTheShownDay) {
    Insert({{"2010/11/01 10:00:00", "2010/11/01 11:00:00"}, {"2010/11/02 10:00:00", "2010/11/02 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    EXPECT_FALSE(d.findChild<QWidget*>("id1121")->isEnabled());
    d.OnCommand(EditCmd::Next);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/02");
    EXPECT_TRUE(d.findChild<QWidget*>("id1121")->isEnabled());
    d.OnCommand(EditCmd::Next);
    EXPECT_EQ(Text(EditCmd::Title), "新規作成");
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/17");
    EXPECT_EQ(Text(EditCmd::StartTime), "09:40");
    EXPECT_FALSE(d.findChild<QWidget*>("id1122")->isEnabled());
    d.OnCommand(EditCmd::Prev); // from new: the last action
    EXPECT_EQ(Text(EditCmd::Title), "変更");
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/02");
    d.OnCommand(EditCmd::MenuNew);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/14");
    EXPECT_FALSE(d.form().actId.has_value());
}

TEST_F(EditDlg, UnsavedChangesAskYesNoCancel) {
    Insert({{"2010/11/01 10:00:00", "2010/11/01 11:00:00"}, {"2010/11/02 10:00:00", "2010/11/02 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "A");
    messages.Answer(IDCANCEL);
    d.OnCommand(EditCmd::Next);
    EXPECT_EQ(messages.last().text, u"アクションの内容が変更されています。変更しますか。");
    EXPECT_EQ(messages.last().flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/01"); // stayed
    messages.Answer(IDYES);
    d.OnCommand(EditCmd::Next);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/02");
    EXPECT_EQ(U8(Stored(0)[ActionField::Place]), "A");
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "B");
    messages.Answer(IDNO);
    d.OnCommand(EditCmd::Close);
    EXPECT_EQ(d.result(), 2);
    EXPECT_EQ(U8(Stored(1)[ActionField::Place]), "<null>");
    // A new action typed into asks the create question; the OK command the short one.
    CEditActionDlg& e = Open(EditDlgMode::New);
    e.OnCommand(EditCmd::StartNow);
    messages.Answer(IDYES);
    e.OnCommand(EditCmd::Ok);
    EXPECT_EQ(messages.last().text, u"作成しますか。");
    EXPECT_EQ(messages.last().caption, u"作成確認");
    EXPECT_EQ(app.actionIndex.count(), 3);
    EXPECT_EQ(e.result(), 1);
}

TEST_F(EditDlg, MemoFromTheBoxLosesItsLineBreaks) {
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::Memo); // the box comes first
    ASSERT_EQ(d.openEditor(), InPlaceEditor::MemoBox);
    d.memoBox()->setPlainText(QStringLiteral("line one\nline two\r\nthree"));
    d.OnCommand(EditCmd::Save);
    EXPECT_EQ(U8(Stored(0)[ActionField::Memo]), "line oneline twothree");
    EXPECT_EQ(ToUtf8(app.settings.lists.Memo.at(0)), "line oneline twothree");
}

TEST_F(EditDlg, MemoSwitchAndTheBoxEntryOfTheList) {
    app.settings.lists.Memo = {u"朝食"};
    CEditActionDlg& d = Open(EditDlgMode::New);
    EXPECT_EQ(Text(EditCmd::MemoSwitch), "≡");
    d.OnCommand(EditCmd::MemoSwitch);
    EXPECT_EQ(Text(EditCmd::MemoSwitch), "▼");
    d.OnCommand(EditCmd::Memo);
    ASSERT_EQ(d.openEditor(), InPlaceEditor::MemoList);
    EXPECT_EQ(d.floatingList()->itemText(0).toStdString(), "<複数行枠で入力>");
    EXPECT_EQ(d.floatingList()->itemText(1).toStdString(), "朝食");
    d.floatingList()->setEditText(QStringLiteral("draft"));
    d.OnCommand(EditCmd::MemoSwitch); // list → box, carrying the text
    ASSERT_EQ(d.openEditor(), InPlaceEditor::MemoBox);
    EXPECT_EQ(d.memoBox()->toPlainText().toStdString(), "draft");
    d.OnCommand(EditCmd::Title);
    EXPECT_EQ(d.openEditor(), InPlaceEditor::None);
    EXPECT_EQ(Text(EditCmd::Memo), "draft");
}

TEST_F(EditDlg, PlaceWithTheSeparatorIsNotRemembered) {
    app.settings.NoMemPlaceSepaStr = 1;
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "家－＞駅");
    EXPECT_EQ(Text(EditCmd::Place), "家－＞駅");
    EXPECT_TRUE(app.settings.lists.Place.empty());
    app.settings.NoMemPlaceSepaStr = 0;
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "家－＞店");
    ASSERT_EQ(app.settings.lists.Place.size(), 1u);
}

TEST_F(EditDlg, MemoLanguageShowsTheValueAndStoresTheProgram) {
    const char* program = "sum #1+2# place #SIPlace#";
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00", program, "港"}});
    app.settings.ActTxtMode = 1;
    Open(EditDlgMode::Change, 0);
    EXPECT_EQ(Text(EditCmd::Memo), program);
    app.settings.ActTxtMode = 2;
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    EXPECT_EQ(Text(EditCmd::Memo), "sum 3 place 港");
    d.OnCommand(EditCmd::Place);
    TypeIntoList(d, "駅");
    EXPECT_EQ(Text(EditCmd::Memo), "sum 3 place 駅");
    d.OnCommand(EditCmd::Save);
    EXPECT_EQ(U8(Stored(0)[ActionField::Memo]), program);
}

TEST_F(EditDlg, DeleteShowsTheNeighbourAndTheLastDeleteEnds) {
    Insert({{"2010/11/01 10:00:00", "2010/11/01 11:00:00"}, {"2010/11/02 10:00:00", "2010/11/02 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    messages.Answer(IDNO);
    d.OnCommand(EditCmd::ToolDelete);
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(app.actionIndex.count(), 2);
    messages.Answer(IDYES);
    d.OnCommand(EditCmd::ToolDelete);
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/02");
    EXPECT_TRUE(d.isVisible());
    messages.Answer(IDYES);
    d.OnCommand(EditCmd::MenuDelete);
    EXPECT_EQ(app.actionIndex.count(), 0);
    EXPECT_EQ(d.result(), 1);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(EditDlg, CopyAndFollowOnMakeNewActions) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:30:00", "m", "p"}});
    Open(EditDlgMode::Copy, 0);
    EXPECT_EQ(Text(EditCmd::Title), "新規作成");
    EXPECT_EQ(Text(EditCmd::Place), "p");
    dialog->OnCommand(EditCmd::Save);
    EXPECT_EQ(app.actionIndex.count(), 2);
    Open(EditDlgMode::Follow, 0);
    EXPECT_EQ(Text(EditCmd::StartTime), "11:30");
    EXPECT_EQ(Text(EditCmd::EndTime), "11:30");
    EXPECT_EQ(Text(EditCmd::Place), "");
    // After an all-day action the next day, all day.
    Insert({{"2010/11/15 00:00:00", "2010/11/15 24:00:00"}});
    Open(EditDlgMode::Follow, 2);
    EXPECT_EQ(Text(EditCmd::StartDate), "2010/11/16");
    EXPECT_EQ(Text(EditCmd::StartTime), "<終日>");
}

TEST_F(EditDlg, FollowOnTodayMovesTheEndToNow) {
    Insert({{"2010/11/17 08:00:00", "2010/11/17 09:00:00"}});
    app.settings.TimeInitForFollowMode = 1;
    Open(EditDlgMode::Follow, 0);
    EXPECT_EQ(Text(EditCmd::StartTime), "09:00");
    EXPECT_EQ(Text(EditCmd::EndTime), "09:40");
    app.settings.TimeInitForFollowMode = 2; // next half hour
    Open(EditDlgMode::Follow, 0);
    EXPECT_EQ(Text(EditCmd::EndTime), "10:00");
    SetFixedClock(2010, 11, 17, 23, 45, 0);
    Open(EditDlgMode::Follow, 0);
    EXPECT_EQ(Text(EditCmd::EndDate), "2010/11/18");
    EXPECT_EQ(Text(EditCmd::EndTime), "00:00");
}

TEST_F(EditDlg, WebMapNeedsAPositionAndOpensTheExactAddress) {
    std::vector<std::string> opened;
    SetWebMapOpener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::WebMap);
    EXPECT_EQ(messages.last().text, u"位置情報が未取得です。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(opened.empty());
    d.form().latitude = u"35/30/0.000000";
    d.form().longitude = u"139/45/36.000000";
    d.OnCommand(EditCmd::WebMap);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=35.500000,139.760000&z=14");
    SetWebMapOpener({});
}

TEST_F(EditDlg, SwitchesReachTheSettings) {
    app.settings.StartupMode = 1;
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::MenuStartup);
    EXPECT_TRUE(d.menu()->findChild<QAction*>("id32955")->isChecked());
    d.OnCommand(EditCmd::Close);
    EXPECT_EQ(app.settings.StartupMode, 2);
    CEditActionDlg& e = Open(EditDlgMode::New);
    e.OnCommand(EditCmd::ToolStartup); // off again: back to the value found at opening
    e.OnCommand(EditCmd::Close);
    EXPECT_EQ(app.settings.StartupMode, 0);
}

} // namespace

namespace {

// Pictures of the dialog for a person to look at: both states and every floating editor.
TEST_F(EditDlg, Screenshots) {
    app.settings.lists.Place = {u"自宅", u"会社"};
    app.settings.lists.Memo = {u"朝食"};
    app.settings.ActTxtMode = 2;
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:30:00", "計 #1+2# 件", "会社"}});
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.resize(360, 480);
    EXPECT_FALSE(SaveScreenshot(&d, "editdlg_new").isEmpty());
    CEditActionDlg& c = Open(EditDlgMode::Change, 0);
    c.resize(360, 480);
    EXPECT_FALSE(SaveScreenshot(&c, "editdlg_change").isEmpty());
    struct Shot {
        int command;
        const char* name;
    } shots[] = {{EditCmd::StartDate, "editdlg_start_calendar"}, {EditCmd::StartTime, "editdlg_start_time"},
                 {EditCmd::EndDate, "editdlg_end_calendar"},     {EditCmd::EndTime, "editdlg_end_time"},
                 {EditCmd::Place, "editdlg_place_list"},         {EditCmd::Cate1, "editdlg_category1_list"},
                 {EditCmd::Cate2, "editdlg_category2_list"},     {EditCmd::Memo, "editdlg_memo_box"}};
    for (const Shot& shot : shots) {
        c.OnCommand(shot.command);
        EXPECT_NE(c.openEditor(), InPlaceEditor::None) << shot.name;
        EXPECT_FALSE(SaveScreenshot(&c, shot.name).isEmpty());
        c.OnCommand(EditCmd::Title);
    }
    ExpectDiaryCalendarLook(c.findChild<QCalendarWidget*>());
    c.OnCommand(EditCmd::MemoSwitch); // the list first
    c.OnCommand(EditCmd::Memo);
    EXPECT_EQ(c.openEditor(), InPlaceEditor::MemoList);
    EXPECT_FALSE(SaveScreenshot(&c, "editdlg_memo_list").isEmpty());
    c.OnCommand(EditCmd::Title);
}

} // namespace
