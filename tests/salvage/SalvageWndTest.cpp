// flotsam's window under the offscreen platform: its controls, the choosers it opens,
// the run through the button, the menu and the about box.
#include "salvage/SalvageWnd.h"
#include "salvage/SalvageInstance.h"

#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "filedlg/FileSelectDialog.h"
#include "tests/salvage/SalvageTestSupport.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

template <typename T> T* Child(QWidget& window, int id) {
    return window.findChild<T*>(QStringLiteral("id%1").arg(id));
}

class SalvageWndTest : public SalvageFixture {
protected:
    void TearDown() override {
        FileSelectRunHook() = nullptr;
        SalvageFixture::TearDown();
    }
};

TEST_F(SalvageWndTest, ControlsTitleAndScreenshot) {
    CSalvageWnd window;
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("flotsam"));
    EXPECT_EQ(window.objectName(), QStringLiteral("FLOTSAM"));
    ASSERT_NE(Child<QLineEdit>(window, 1001), nullptr);
    EXPECT_EQ(Child<QLineEdit>(window, 1001)->maxLength(), 260);
    ASSERT_NE(Child<QLineEdit>(window, 1003), nullptr);
    EXPECT_EQ(Child<QPushButton>(window, 1002)->text(), QStringLiteral("..."));
    EXPECT_EQ(Child<QPushButton>(window, 1004)->text(), QStringLiteral("..."));
    EXPECT_EQ(Child<QPushButton>(window, 1005)->text(), ToQString(u"データ取出し"));
    QStringList labels;
    for (QLabel* label : window.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(ToQString(u"データファイル名:")));
    EXPECT_TRUE(labels.contains(ToQString(u"エクスポートファイル名:")));
    QStringList items;
    for (QAction* action : window.menu()->actions())
        items << action->text();
    EXPECT_EQ(items, QStringList({ToQString(u"バージョン情報..."), ToQString(u"終了")}));
    Child<QLineEdit>(window, 1001)->setText(QStringLiteral("/home/user/user.sdf"));
    Child<QLineEdit>(window, 1003)->setText(QStringLiteral("/home/user/rescued.csv"));
    EXPECT_FALSE(SaveScreenshot(&window, QStringLiteral("flotsam_window")).isEmpty());
}

TEST_F(SalvageWndTest, BrowseButtonsOpenTheChooserAndFillTheEdits) {
    CSalvageWnd window;
    std::vector<std::u16string> filters, titles, starts, names;
    std::vector<int> modes;
    FileSelectRunHook() = [&](FileSelectDialog& dialog, QWidget*) {
        filters.push_back(dialog.model().filterText);
        starts.push_back(dialog.model().startFolder);
        names.push_back(dialog.model().defaultName);
        titles.push_back(dialog.model().title);
        modes.push_back(dialog.model().mode);
        dialog.model().Open(nullptr);
        dialog.model().ShowFolder(FromUtf8(dir.path()));
        return dialog.model().Accept(nullptr, u"chosen") == 0 ? 1 : 2;
    };
    QTest::mouseClick(Child<QPushButton>(window, 1004), Qt::LeftButton);
    EXPECT_EQ(Child<QLineEdit>(window, 1003)->text().toStdString(), dir.file("chosen.csv"));
    TempDir::WriteBytes(dir.file("chosen.sdf"), "x");
    QTest::mouseClick(Child<QPushButton>(window, 1002), Qt::LeftButton);
    EXPECT_EQ(Child<QLineEdit>(window, 1001)->text().toStdString(), dir.file("chosen.sdf"));
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0],
              u"エクスポートファイル (*.csv)|*.csv|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*");
    EXPECT_EQ(titles[0], u"エクスポートファイル");
    EXPECT_EQ(modes[0], 1);
    EXPECT_EQ(filters[1], u"データファイル (*.sdf)|*.sdf|すべてのファイル (*.*)|*.*");
    EXPECT_EQ(titles[1], u"データファイル");
    EXPECT_EQ(modes[1], 2);
    // Both start at the top of the user's files with no name.
    const char* home = std::getenv("HOME");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(starts[i], FromUtf8(home && *home ? home : "/"));
        EXPECT_EQ(names[i], u"");
    }
    // A cancelled chooser leaves the edit as it was.
    FileSelectRunHook() = [](FileSelectDialog&, QWidget*) { return 2; };
    QTest::mouseClick(Child<QPushButton>(window, 1002), Qt::LeftButton);
    EXPECT_EQ(Child<QLineEdit>(window, 1001)->text().toStdString(), dir.file("chosen.sdf"));
}

TEST_F(SalvageWndTest, RunButtonAndSoftKeySalvageTheNamedFiles) {
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 5);
    CSalvageWnd window;
    Child<QLineEdit>(window, 1001)->setText(QString::fromStdString(data));
    Child<QLineEdit>(window, 1003)->setText(QString::fromStdString(exportFile));
    messages.Answer(IDYES);
    QTest::mouseClick(Child<QPushButton>(window, 1005), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().owner, HandleOf(&window));
    EXPECT_EQ(messages.last().text, CompletionText(SalvageCounts{5, 0, 0}));
    EXPECT_EQ(Lines(exportFile).size(), 6u);
    messages.Clear();
    messages.Answer(IDNO);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("softKeyRun")), Qt::LeftButton);
    EXPECT_EQ(messages.last().text, u"データ取出しを中止しました。");
}

TEST_F(SalvageWndTest, AboutBoxAndQuit) {
    EXPECT_EQ(SalvageAboutText(), QStringLiteral("flotsam Version 1.2.2010.1114"));
    CSalvageWnd window;
    window.show();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() != QStringLiteral("salvageAbout") || !top->isVisible()) continue;
            shown = top->findChild<QLabel*>(QStringLiteral("aboutText"))->text();
            SaveScreenshot(top, QStringLiteral("flotsam_about"));
            QTest::mouseClick(top->findChild<QPushButton*>(QStringLiteral("id1")), Qt::LeftButton);
        }
    });
    window.OnCommand(SalvageId::About);
    EXPECT_EQ(shown, QStringLiteral("flotsam Version 1.2.2010.1114"));
    window.OnCommand(SalvageId::Quit);
    EXPECT_FALSE(window.isVisible());
}

} // namespace

namespace {

TEST(SalvageInstance, ASecondStartRaisesTheFirst) {
    QString name = QStringLiteral("FLOTSAM-test-%1").arg(QCoreApplication::applicationPid());
    CSalvageInstance first(name);
    ASSERT_TRUE(first.BecomeTheInstance());
    QSignalSpy raised(&first, &CSalvageInstance::raiseRequested);
    CSalvageInstance second(name);
    EXPECT_FALSE(second.BecomeTheInstance());
    EXPECT_TRUE(raised.count() > 0 || raised.wait(2000));
}

} // namespace
