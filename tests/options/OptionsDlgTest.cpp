// The options sheet: pages and the page opened first, the controls' values, the rules
// of OK (opened pages only, InitView, "<既定>" sizes, both month keys), the data page's
// chooser and change of data file, the after-sheet steps, and screenshots of the pages.
#include "options/OptionsDlg.h"

#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "filedlg/FileSelectDialog.h"
#include "store/DataFileTables.h"
#include "tests/support/Screens.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

class OptionsDlg : public MainWndFixture {
protected:
    template <class W> W* Child(QWidget& parent, const char* name) {
        W* w = parent.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(OptionsDlg, PagesAndThePageShownFirst) {
    COptionsDlg d(app, 0);
    EXPECT_EQ(d.windowTitle(), Q(u"オプション"));
    QStringList titles;
    for (int i = 0; i < d.sheet()->count(); ++i)
        titles << d.sheet()->tabText(i);
    EXPECT_EQ(titles, (QStringList{Q(u"全般"), Q(u"表示"), Q(u"編集"), Q(u"検索"), Q(u"カスタマイズ"), Q(u"データ")}));
    EXPECT_EQ(Child<QPushButton>(d, "id2")->text(), Q(u"キャンセル"));
    EXPECT_EQ(d.sheet()->currentIndex(), 0);
    EXPECT_TRUE(d.staging().opened[0]);
    EXPECT_FALSE(d.staging().opened[1]);
    COptionsDlg data(app, 9);
    EXPECT_EQ(data.sheet()->currentIndex(), 5);
    EXPECT_EQ(Child<QLineEdit>(data, "dataFile")->text(), QString::fromStdString(dir.file("user.sdf")));
    EXPECT_EQ(Child<QLineEdit>(data, "dbFmtVer")->text(), QString::fromUtf16(kDBFmtVer));
    EXPECT_TRUE(Child<QLineEdit>(data, "dbFmtVer")->isReadOnly());
}

TEST_F(OptionsDlg, PagesTurnFromTheKeyboardWhereverTheFocusIs) {
    COptionsDlg d(app, 0);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (int expected : {1, 2, 3, 4, 5, 0}) {
        // The first field of the page has the focus, often a drop-down.
        if (QWidget* field = d.sheet()->currentWidget()->nextInFocusChain()) field->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(d.sheet()->currentIndex(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(d.sheet()->currentIndex(), 5);
}

TEST_F(OptionsDlg, SavingTheViewDisablesTheInitialView) {
    app.settings.ViewModeSave = 0;
    app.settings.InitView = 3;
    COptionsDlg d(app, 0);
    auto* initView = Child<QComboBox>(d, "initView");
    EXPECT_TRUE(initView->isEnabled());
    EXPECT_EQ(initView->currentText(), Q(u"1ヶ月表示"));
    Child<QCheckBox>(d, "viewModeSave")->setChecked(true);
    EXPECT_FALSE(initView->isEnabled());
    initView->setCurrentIndex(4);
    Child<QCheckBox>(d, "okBtnVwMode")->setChecked(true);
    Child<QComboBox>(d, "startupMode")->setCurrentIndex(2);
    d.OnCommand(COptionsDlg::kIdOk);
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(app.settings.ViewModeSave, 1);
    EXPECT_EQ(app.settings.InitView, 3);
    EXPECT_EQ(app.settings.OkBtnVwMode, 2);
    EXPECT_EQ(app.settings.StartupMode, 2);
}

TEST_F(OptionsDlg, FontsAndTheListRange) {
    app.settings.WekVwGrdFntSize = 12;
    app.settings.DayVwGrdFntSize = 60; // not in the list: "9" is preselected
    app.settings.MthVwLstFntName = u"Other";
    COptionsDlg d(app, 1);
    auto* screen = Child<QComboBox>(d, "fontScreen");
    auto* name = Child<QComboBox>(d, "fontName");
    auto* size = Child<QComboBox>(d, "fontSize");
    EXPECT_EQ(screen->count(), 6);
    EXPECT_EQ(size->count(), 46);
    EXPECT_EQ(size->itemText(0), Q(u"<既定>"));
    EXPECT_EQ(size->itemText(45), QStringLiteral("48"));
    EXPECT_EQ(name->itemText(0), Q(u"<既定>"));
    EXPECT_EQ(name->count(), static_cast<int>(d.families().size()) + 1);
    EXPECT_EQ(size->currentText(), QStringLiteral("9"));
    EXPECT_EQ(name->currentIndex(), 0); // "MS UI Gothic" is not a family of this system
    screen->setCurrentIndex(1);
    EXPECT_EQ(size->currentText(), QStringLiteral("12"));
    size->setCurrentIndex(0);
    screen->setCurrentIndex(2);
    ASSERT_GT(name->count(), 1);
    name->setCurrentIndex(1);
    size->setCurrentText(QStringLiteral("14"));
    EXPECT_EQ(Child<QComboBox>(d, "seqViewRng")->currentText(), QStringLiteral("20"));
    Child<QComboBox>(d, "seqViewRng")->setCurrentIndex(0);
    d.OnCommand(COptionsDlg::kIdOk);
    EXPECT_EQ(app.settings.WekVwGrdFntSize, -1);
    std::u16string family = d.families()[0];
    EXPECT_EQ(app.settings.MthVwGrdFntName, family);
    EXPECT_EQ(app.settings.MthVwLstFntName, family);
    EXPECT_EQ(app.settings.MthVwGrdFntSize, 14);
    EXPECT_EQ(app.settings.MthVwLstFntSize, 14);
    EXPECT_EQ(app.settings.DayVwGrdFntSize, 60); // never touched
    EXPECT_EQ(app.settings.SeqViewRng, 0);
}

TEST_F(OptionsDlg, OnlyOpenedPagesAreApplied) {
    AppSettings before = app.settings;
    COptionsDlg d(app, 0);
    Child<QLineEdit>(d, "name4")->setText(QStringLiteral("x"));
    Child<QCheckBox>(d, "dispListAfterFind")->setChecked(true);
    Child<QLineEdit>(d, "placeSepaStr")->setText(QStringLiteral("|"));
    d.sheet()->setCurrentIndex(3);
    d.OnCommand(COptionsDlg::kIdOk);
    EXPECT_EQ(app.settings.DispListAfterFind, 1);
    EXPECT_EQ(app.settings.PlaceName, before.PlaceName);
    EXPECT_EQ(app.settings.PlaceSepaStr, before.PlaceSepaStr);
    // Cancel discards everything.
    COptionsDlg cancelled(app, 4);
    Child<QLineEdit>(cancelled, "name4")->setText(QStringLiteral("y"));
    cancelled.OnCommand(COptionsDlg::kIdCancel);
    EXPECT_EQ(app.settings.PlaceName, before.PlaceName);
}

TEST_F(OptionsDlg, DataPageChoosesAndSwitchesTheFile) {
    std::u16string chosen = dir.file16("diary.sdf");
    FileSelectRunHook() = [&](FileSelectDialog& chooser, QWidget*) {
        EXPECT_EQ(chooser.model().title, u"保存先");
        EXPECT_EQ(chooser.model().defaultName, u"user.sdf");
        EXPECT_EQ(chooser.model().filterText, u"data (*.sdf)|*.sdf|All (*.*)|*.*");
        FileSelectModel& m = chooser.model();
        m.startFolder = FromUtf8(dir.path()); // the user walks to the test's folder
        EXPECT_EQ(m.Open(nullptr), 0);
        EXPECT_EQ(m.Accept(nullptr, u"diary.sdf"), 0);
        return 1;
    };
    COptionsDlg d(app, 5);
    d.OnCommand(COptionsDlg::kIdBrowse);
    FileSelectRunHook() = nullptr;
    EXPECT_EQ(Child<QLineEdit>(d, "dataFile")->text(), QString::fromStdU16String(chosen));
    messages.Answer(IDYES); // make the new data file
    d.OnCommand(COptionsDlg::kIdOk);
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(d.dataFileResult(), 0);
    EXPECT_TRUE(d.staging().dataFileChanged);
    EXPECT_EQ(app.settings.DataFile, chosen);
    EXPECT_TRUE(std::filesystem::exists(dir.file("diary.sdf")));
    EXPECT_EQ(messages.last().caption, u"データファイル初期化確認");
}

TEST_F(OptionsDlg, AfterTheSheet) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}, {"2010/11/15 08:00:00", "2010/11/15 09:00:00"}});
    CMainWnd& w = Window(1);
    app.selectedActionId = app.actionIndex.IdAt(0);
    app.listPage = 7;
    QTimer::singleShot(0, [] {
        auto* sheet = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sheet->findChild<QCheckBox*>("okBtnVwMode")->setChecked(true);
        sheet->sheet()->setCurrentIndex(1);
        sheet->findChild<QComboBox*>("seqViewRng")->setCurrentIndex(1); // 10
        sheet->OnCommand(COptionsDlg::kIdOk);
    });
    EXPECT_EQ(RunOptionsDlg(w, 0), 1);
    EXPECT_EQ(app.settings.SeqViewRng, 10);
    EXPECT_EQ(app.listPage, 0); // the page of the selected action
    EXPECT_TRUE(w.findChild<QWidget*>(QStringLiteral("id%1").arg(Cmd::Ok))->isVisible());
}

// Over a portrait main window every page's tab shows whole, with no scroll arrows
// that would hide the last ones; a wide sheet keeps the dialogs' font for them.
TEST_F(OptionsDlg, AllSixTabsShowInAPortraitWindow) {
    CMainWnd& w = Window(1);
    COptionsDlg d(app, 0, &w);
    d.show();
    QApplication::processEvents();
    ASSERT_GT(d.height(), d.width());
    QTabBar* bar = d.sheet()->tabBar();
    auto checkTabs = [&] {
        QRect shown = bar->rect().intersected(d.sheet()->rect().translated(-bar->pos()));
        for (int i = 0; i < bar->count(); ++i) {
            EXPECT_TRUE(shown.contains(bar->tabRect(i))) << i << " in " << d.width();
            EXPECT_LT(bar->fontMetrics().horizontalAdvance(bar->tabText(i)), bar->tabRect(i).width()) << i;
        }
        for (QToolButton* arrow : bar->findChildren<QToolButton*>())
            EXPECT_FALSE(arrow->isVisible());
    };
    checkTabs();
    EXPECT_EQ(bar->tabText(5), Q(u"データ"));
    // The tabs do not make the dialog wider than the window or its widest page.
    int widest = w.width();
    for (int i = 0; i < d.sheet()->count(); ++i)
        widest = std::max(widest, d.sheet()->widget(i)->minimumSizeHint().width() + 16);
    EXPECT_LE(d.width(), widest);
    d.resize(640, 420);
    QApplication::processEvents();
    checkTabs();
    EXPECT_EQ(bar->font().pixelSize(), d.font().pixelSize());
    d.resize(w.size());
    QApplication::processEvents();
    checkTabs();
}

// A loop of unknown length (the compaction's one engine call) shows its progress dialog
// once it has run half a second, and takes it down at its end.
TEST(QtProgressDialog, ShowsForALoopOfUnknownLength) {
    auto shown = [] {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(top); d && d->isVisible())
                n += d->labelText() == QString::fromUtf16(u"データファイル圧縮中");
        return n;
    };
    QtProgress progress;
    progress.Start(u"データファイル圧縮中", -1);
    progress.Step(1);
    EXPECT_EQ(shown(), 0); // not before half a second
    std::this_thread::sleep_for(std::chrono::milliseconds(520));
    progress.Step(2);
    EXPECT_EQ(shown(), 1);
    progress.Step(3);
    EXPECT_EQ(shown(), 1);
    progress.Finish();
    EXPECT_EQ(shown(), 0);
}

// The progress dialog stands over the window the user works in, modal to it alone:
// the main window, or the options dialog whose data page compacts the file.
TEST_F(OptionsDlg, ProgressDialogBelongsToTheActiveWindow) {
    auto progressOver = [](QWidget& owner) {
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
        QtProgress progress;
        progress.Start(u"データ取出し", 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(520));
        progress.Step(1);
        QProgressDialog* shown = nullptr;
        for (QProgressDialog* d : owner.findChildren<QProgressDialog*>())
            if (d->isVisible()) shown = d;
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->parentWidget(), &owner);
        EXPECT_TRUE(shown->isWindow());
        EXPECT_EQ(shown->windowModality(), Qt::WindowModal);
        progress.Finish();
        EXPECT_TRUE(owner.findChildren<QProgressDialog*>().isEmpty());
    };
    CMainWnd& w = Window(1);
    progressOver(w);
    COptionsDlg d(app, 5, &w);
    progressOver(d);
}

TEST_F(OptionsDlg, ScreenshotsOfTheSixPages) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00"}});
    CMainWnd& w = Window(1);
    COptionsDlg d(app, 0, &w);
    d.show();
    const char* names[] = {"general", "display", "edit", "find", "customise", "data"};
    for (int page = 0; page < 6; ++page) {
        d.sheet()->setCurrentIndex(page);
        QApplication::processEvents();
        EXPECT_FALSE(SaveScreenshot(&d, QStringLiteral("options_%1_%2").arg(page).arg(names[page])).isEmpty());
    }
}

} // namespace
