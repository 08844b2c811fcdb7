// The diary used with the keyboard alone: an action is created, found, changed and
// deleted without a single mouse event, through the real dialogs.
#include "app/AppMain.h"
#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/SoftKeyKeys.h"
#include "core/Utf.h"
#include "edit/EditActionDlg.h"
#include "store/DataFileTables.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

// The program's QApplication comes from StartupTest.cpp's test environment.

// The dialog the steps run in, while they run.
QPointer<QWidget> g_dialog;

// The focus widget of the dialog (or window) in front. The offscreen platform leaves no
// window active after an editor's completer popup closes, where a desktop gives the
// activation back, so the window's own focus widget is asked.
QWidget* Front() {
    if (g_dialog) return g_dialog;
    return QApplication::activeWindow();
}

QWidget* Focus() {
    QWidget* front = Front();
    return front ? front->focusWidget() : QApplication::focusWidget();
}

// Keys to whatever has the focus (the window in front when nothing has).
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = Focus() ? Focus() : Front();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void Type(const char* text) {
    QTest::keyClicks(Focus(), QString::fromUtf8(text));
}

// Tab until the control with the id has the focus.
bool TabTo(int id) {
    for (int i = 0; i < 40; ++i) {
        if (Focus() && Focus()->objectName() == QStringLiteral("id%1").arg(id)) return true;
        Key(Qt::Key_Tab);
    }
    return false;
}

// Runs the steps once the modal dialog that the next key opens is up.
void InTheDialog(std::function<void()> steps) {
    QTimer::singleShot(0, [steps] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no dialog opened";
            return;
        }
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog)) ADD_FAILURE() << "dialog not active";
        g_dialog = dialog;
        steps();
        g_dialog = nullptr;
        if (QApplication::activeModalWidget() == dialog) {
            ADD_FAILURE() << "the dialog stayed open";
            static_cast<QDialog*>(dialog)->reject();
        }
    });
}

// Types a text into the edit dialog's field: Tab to it, open it, type, Return.
void FillField(int id, const char* text) {
    ASSERT_TRUE(TabTo(id)) << id;
    Key(Qt::Key_Space);
    Type(text);
    Key(Qt::Key_Return);
}

class KeyboardOnly : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedClock(2010, 11, 14, 9, 5, 3);
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        SetApp(&app);
        ViewHooks() = MainWndHooks{};
    }
    void TearDown() override {
        window.reset();
        ViewHooks() = MainWndHooks{};
        CloseDataFile();
        SetApp(nullptr);
        SetClockSource({});
    }
    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(KeyboardOnly, CreateFindChangeAndDeleteAnAction) {
    messages.Answer({IDOK, IDYES}); // no settings yet; create the data file
    window = InitApplication(app);
    ASSERT_NE(window, nullptr);
    InstallDialogHooks();
    InstallSoftKeyKeys(*qApp); // what the program's platform set-up installs
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    messages.Clear();

    // Create: Ctrl+N, the place, then "作成".
    InTheDialog([] {
        FillField(EditCmd::Place, "Harbour");
        ASSERT_TRUE(TabTo(EditCmd::Save));
        Key(Qt::Key_Space);
    });
    Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(app.actionIndex.count(), 1);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // Find: Ctrl+F, the text, then F10 and the menu's "検索".
    InTheDialog([] {
        Type("Harbour");
        Key(Qt::Key_F10);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Down);
        ASSERT_EQ(menu->activeAction()->text(), QString::fromUtf16(u"検索"));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(app.searchCondition.empty());
    EXPECT_EQ(app.actionIndex.count(), 1);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // Change: Enter on the found row, a category, then "変更".
    QTreeWidget* list = window->listControl();
    ASSERT_EQ(Focus(), list);
    ASSERT_EQ(list->currentItem(), list->topLevelItem(0));
    InTheDialog([] {
        FillField(EditCmd::Cate1, "Walk");
        ASSERT_TRUE(TabTo(EditCmd::Save));
        Key(Qt::Key_Space);
    });
    Key(Qt::Key_Return);
    ActionRecord stored;
    ASSERT_EQ(OpenTables()->userData->ReadActionById(app.actionIndex.IdAt(0), stored), S_OK);
    EXPECT_EQ(ToUtf8(*stored[ActionField::Place]), "Harbour");
    EXPECT_EQ(ToUtf8(*stored[ActionField::Category1]), "Walk");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // Delete: the Delete key, answered Yes.
    std::u16string id = app.actionIndex.IdAt(0);
    list->setFocus();
    messages.Answer(IDYES);
    Key(Qt::Key_Delete);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_EQ(app.actionIndex.count(), 0);
    EXPECT_EQ(OpenTables()->userData->ReadActionById(id, stored), DB_E_NOTFOUND);
}

} // namespace
