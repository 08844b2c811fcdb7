// The edit dialog's commands by state (menu and toolbar agree), the choosers of
// ItmSelMode 2, and writes whose action index cannot be read back afterwards.
#include "core/Degrees.h"
#include "core/Utf.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "store/DataFileTables.h"
#include "tests/edit/EditDlgTestSupport.h"
#include "views/CommandIds.h"
#include "views/GridListCtrl.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

using EditDlgState = EditDlgFixture;

constexpr unsigned kStop = MB_OK | MB_ICONSTOP;

// Runs f on the next modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> f) {
    QTimer::singleShot(0, [f] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        f(modal);
    });
}

QAction* Item(CEditActionDlg& d, int id) {
    auto* action = d.findChild<QAction*>(QStringLiteral("id%1").arg(id));
    EXPECT_NE(action, nullptr) << id;
    return action;
}

// Whether each of copy, follow-on and delete is enabled, as the menu and as the toolbar
// show it: {menu 参照, 後続, 削除, toolbar 参照, 後続, 削除}.
std::vector<bool> NeedsActionItems(CEditActionDlg& d) {
    std::vector<bool> enabled;
    for (int id : {EditCmd::MenuCopy, EditCmd::MenuFollow, EditCmd::MenuDelete, EditCmd::ToolCopy, EditCmd::ToolFollow,
                   EditCmd::ToolDelete})
        enabled.push_back(Item(d, id)->isEnabled());
    return enabled;
}

const std::vector<bool> kAllOff(6, false), kAllOn(6, true);

TEST_F(EditDlgState, CopyFollowOnAndDeleteNeedAnActionInMenuAndToolbarAlike) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::New);
    EXPECT_EQ(NeedsActionItems(d), kAllOff);
    EXPECT_TRUE(Item(d, EditCmd::MenuNew)->isEnabled());
    EXPECT_TRUE(Item(d, EditCmd::ToolNew)->isEnabled());
    // A greyed menu item does nothing even when its command arrives.
    d.OnCommand(EditCmd::MenuDelete);
    EXPECT_EQ(messages.count(), 0u);
    d.OnCommand(EditCmd::Prev); // new → the last action, state change
    EXPECT_EQ(Text(EditCmd::Title), "変更");
    EXPECT_EQ(NeedsActionItems(d), kAllOn);
    d.OnCommand(EditCmd::MenuFollow);
    EXPECT_EQ(Text(EditCmd::Title), "新規作成");
    EXPECT_EQ(NeedsActionItems(d), kAllOff);
    EXPECT_EQ(NeedsActionItems(Open(EditDlgMode::Copy, 0)), kAllOff);
    EXPECT_EQ(NeedsActionItems(Open(EditDlgMode::Change, 0)), kAllOn);
}

// With ItmSelMode 2 every field opens its selection dialog, titled and preset as the
// field stands, and the floating list never shows.
TEST_F(EditDlgState, ChoosersOfItemSelectionMode2) {
    app.settings.ItmSelMode = 2;
    app.settings.lists.Place = {u"会社", u"自宅"};
    app.settings.lists.Memo = {u"朝食"};
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:30:00", "m", "会社"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);

    int hour = -1, minute = -1;
    QString title;
    bool extraShown = false;
    auto pickTime = [&](int h, int m) {
        WhenModal([&, h, m](QWidget* modal) {
            auto* time = qobject_cast<CTimeSelectDlg*>(modal);
            ASSERT_NE(time, nullptr);
            title = time->windowTitle();
            hour = CTimeSelectDlg::WheelValue(*time->hours());
            minute = CTimeSelectDlg::WheelValue(*time->minutes());
            extraShown = time->findChild<QPushButton*>(QStringLiteral("id1657"))->isVisibleTo(time);
            CTimeSelectDlg::PresetWheel(*time->hours(), h);
            CTimeSelectDlg::PresetWheel(*time->minutes(), m);
            time->OnCommand(CTimeSelectDlg::kIdOk);
        });
    };
    pickTime(7, 45);
    d.OnCommand(EditCmd::StartTime);
    EXPECT_EQ(title.toStdString(), "開始時刻");
    EXPECT_TRUE(extraShown);
    EXPECT_EQ(hour, 10);
    EXPECT_EQ(minute, 0);
    EXPECT_EQ(Text(EditCmd::StartTime), "07:45");
    pickTime(12, 15);
    d.OnCommand(EditCmd::EndTime);
    EXPECT_EQ(title.toStdString(), "終了時刻");
    EXPECT_FALSE(extraShown);
    EXPECT_EQ(hour, 11);
    EXPECT_EQ(minute, 30);
    EXPECT_EQ(Text(EditCmd::EndTime), "12:15");
    // The start's all-day choice makes both times all-day.
    WhenModal([](QWidget* modal) { static_cast<CTimeSelectDlg*>(modal)->OnCommand(CTimeSelectDlg::kIdExtra); });
    d.OnCommand(EditCmd::StartTime);
    EXPECT_EQ(Text(EditCmd::StartTime), "<終日>");
    EXPECT_EQ(Text(EditCmd::EndTime), "<終日>");

    QString preset;
    int rows = 0, boxRow = -1;
    WhenModal([&](QWidget* modal) {
        auto* values = qobject_cast<CValueSelectDlg*>(modal);
        ASSERT_NE(values, nullptr);
        title = values->windowTitle();
        preset = values->edit()->text();
        rows = values->list()->GetItemCount();
        values->edit()->setText(QString::fromUtf8("駅"));
        values->OnCommand(CValueSelectDlg::kIdOk);
    });
    d.OnCommand(EditCmd::Place);
    EXPECT_EQ(title.toStdString(), "場所の選択");
    EXPECT_EQ(preset.toStdString(), "会社");
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(Text(EditCmd::Place), "駅");
    EXPECT_EQ(app.settings.lists.Place.front(), u"駅");

    // The memo list first: its first entry leads to the box, carrying the memo.
    d.OnCommand(EditCmd::MemoSwitch);
    WhenModal([&](QWidget* modal) {
        auto* values = qobject_cast<CValueSelectDlg*>(modal);
        ASSERT_NE(values, nullptr);
        title = values->windowTitle();
        rows = values->list()->GetItemCount();
        boxRow = values->list()->FindItemText(0, QString::fromUtf8("<複数行枠で入力>"));
        values->edit()->setText(QString::fromUtf8("<複数行枠で入力>"));
        values->OnCommand(CValueSelectDlg::kIdOk);
    });
    d.OnCommand(EditCmd::Memo);
    EXPECT_EQ(title.toStdString(), "メモの選択");
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(boxRow, 0);
    EXPECT_EQ(d.openEditor(), InPlaceEditor::MemoBox);
    EXPECT_FALSE(d.floatingList()->isVisible());
    d.OnCommand(EditCmd::Save);
    ActionRecord r = Stored(0);
    EXPECT_EQ(U8(r[ActionField::StaDateTime]), "2010/11/14 00:00:00");
    EXPECT_EQ(U8(r[ActionField::EndDateTime]), "2010/11/14 24:00:00");
    EXPECT_EQ(U8(r[ActionField::Place]), "駅");
    EXPECT_EQ(U8(r[ActionField::Memo]), "m");
}

// A new action opened from the map view takes the position it was opened at; one
// opened anywhere else, or by "新規作成" inside the dialog, has none.
TEST_F(EditDlgState, NewFromTheMapViewTakesItsPoint) {
    app.currentView = 5;
    app.newActionPosition = std::pair{35.5, -139.76};
    CEditActionDlg& d = Open(EditDlgMode::New);
    EXPECT_EQ(Text(EditCmd::Latitude), ToUtf8(FormatDegreesText(35.5)));
    EXPECT_EQ(Text(EditCmd::Longitude), ToUtf8(FormatDegreesText(-139.76)));
    d.OnCommand(EditCmd::Save);
    ActionRecord r = Stored(0);
    EXPECT_EQ(U8(r[ActionField::Latitude]), "35.500000");
    EXPECT_EQ(U8(r[ActionField::Longitude]), "-139.760000");
    CEditActionDlg& again = Open(EditDlgMode::New);
    again.OnCommand(EditCmd::MenuNew);
    EXPECT_EQ(Text(EditCmd::Latitude), "");
    app.newActionPosition.reset();
    Open(EditDlgMode::New);
    EXPECT_EQ(Text(EditCmd::Latitude), "");
}

// The action is written but the index cannot be read back afterwards (here: a search
// condition the engine refuses): the user is told, once, and the dialog ends instead of
// going on over an empty index; no invalid-input or internal-error message follows.
TEST_F(EditDlgState, AnIndexThatCannotBeReadAfterAWriteIsToldAndEndsTheDialog) {
    Insert({{"2010/11/14 10:00:00", "2010/11/14 11:00:00"}, {"2010/11/15 10:00:00", "2010/11/15 11:00:00"}});
    auto expectTold = [&](size_t at) {
        ASSERT_GT(messages.count(), at);
        EXPECT_TRUE(messages.shown()[at].text.starts_with(u"アクション一覧の読込みに失敗しました。(80041001)\n"));
        EXPECT_EQ(messages.shown()[at].caption, u"データファイル読込エラー");
        EXPECT_EQ(messages.shown()[at].flags, kStop);
    };
    UserDataTable& table = *OpenTables()->userData;

    // Save with continuous input, which would otherwise stay on the saved action.
    app.settings.EditOpeCont = 1;
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    std::u16string id = app.actionIndex.IdAt(0);
    d.form().CommitPlace(u"駅");
    app.searchCondition = u"no_such_column = 1";
    d.OnCommand(EditCmd::Save);
    EXPECT_EQ(messages.count(), 1u);
    expectTold(0);
    EXPECT_EQ(d.result(), 1);
    EXPECT_FALSE(d.isVisible());
    ActionRecord back;
    ASSERT_EQ(table.ReadActionById(id, back), S_OK);
    EXPECT_EQ(U8(back[ActionField::Place]), "駅"); // what was written stays

    // Delete.
    app.searchCondition.clear();
    ASSERT_EQ(RebuildActionIndex(table, app.actionIndex), S_OK);
    CEditActionDlg& e = Open(EditDlgMode::Change, 0);
    messages.Clear();
    app.searchCondition = u"no_such_column = 1";
    messages.Answer(IDYES);
    e.OnCommand(EditCmd::MenuDelete);
    EXPECT_EQ(messages.count(), 2u); // the question, then the failure
    expectTold(1);
    EXPECT_EQ(e.result(), 1);
    EXPECT_FALSE(e.isVisible());
    EXPECT_EQ(table.ReadActionById(id, back), DB_E_NOTFOUND);

    // A create answered Yes before "↓": the navigation does not go on.
    app.searchCondition.clear();
    ASSERT_EQ(RebuildActionIndex(table, app.actionIndex), S_OK);
    CEditActionDlg& n = Open(EditDlgMode::New);
    n.form().CommitPlace(u"港");
    messages.Clear();
    app.searchCondition = u"no_such_column = 1";
    messages.Answer(IDYES);
    n.OnCommand(EditCmd::Prev);
    EXPECT_EQ(messages.count(), 2u); // "作成しますか。", then the failure
    expectTold(1);
    EXPECT_EQ(n.result(), 1);
    EXPECT_FALSE(n.isVisible());
}

} // namespace
