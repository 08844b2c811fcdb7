// The file selection dialog's window driven through OnCommand and its list in a
// temporary folder tree, the modal runs of it and of the value input dialog, and the
// screenshots of both.
#include "filedlg/FileSelectDlg.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "edit/ValueInputDlg.h"
#include "filedlg/FileSelectDialog.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const auto* const g_environment = InstallQtTestEnvironment();

constexpr char16_t kExchangeFilter[] = u"TSV/CSVファイル (*.csv)|*.csv|データファイル (*.dat)|*.dat|"
                                       u"テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*";

// Runs `step` on the modal dialog of type T once it is open.
template <typename T> void WhenModal(std::function<void(T&)> step) {
    QTimer::singleShot(0, [step] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog) {
            step(*dialog);
        } else {
            ADD_FAILURE() << "no modal dialog";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
        }
    });
}

class FileSelectWindow : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.file("sub/deeper"));
        fs::create_directories(dir.file("空のフォルダ"));
        for (const char* name : {"a.csv", "b.txt", "c.dat", "sub/inner.csv", "日本語の名前.csv"})
            TempDir::WriteBytes(dir.file(name), name);
        parent.resize(360, 480);
        chooser.SetFilter(kExchangeFilter);
        chooser.SetStartFolder(FromUtf8(dir.path()));
        chooser.SetTitle(u"保存先");
        chooser.SetDefaultName(u"tidemk.csv");
    }
    // Opens the model and a shown window over the parent.
    CFileSelectDlg& Window() {
        EXPECT_EQ(chooser.model().Open(nullptr), 0);
        window = std::make_unique<CFileSelectDlg>(chooser.model(), &parent);
        window->show();
        return *window;
    }
    Lines ListLines() const {
        Lines lines;
        for (int i = 0; i < window->list()->count(); ++i)
            lines.push_back(window->list()->item(i)->text().toStdString());
        return lines;
    }
    int Row(const char* line) const {
        for (int i = 0; i < window->list()->count(); ++i)
            if (window->list()->item(i)->text().toStdString() == line) return i;
        return -1;
    }
    std::string Folder() const { return window->findChild<QLineEdit*>("id1701")->text().toStdString(); }
    // The user's choice of a line: the list's selection signal arrives queued.
    void Choose(const char* line) {
        window->list()->setCurrentRow(Row(line));
        QApplication::processEvents();
    }

    TempDir dir;
    ScriptedMessages messages;
    QWidget parent;
    FileSelectDialog chooser;
    std::unique_ptr<CFileSelectDlg> window;
};

TEST_F(FileSelectWindow, ControlsCarryTheirIdsAndTexts) {
    CFileSelectDlg& w = Window();
    const std::pair<int, const char*> texts[] = {
        {1, "OK"},       {2, "キャンセル"},         {1700, "保存先"},    {1702, "↑"},      {1704, "ファイル名:"},
        {1706, "種類:"}, {40120, "新規フォルダー"}, {40124, "メニュー"}, {40123, "閉じる"}};
    for (const auto& [id, text] : texts) {
        QWidget* control = w.findChild<QWidget*>(QStringLiteral("id%1").arg(id));
        ASSERT_NE(control, nullptr) << id;
        QString shown = qobject_cast<QLabel*>(control) ? qobject_cast<QLabel*>(control)->text()
                                                       : qobject_cast<QPushButton*>(control)->text();
        EXPECT_EQ(shown.toStdString(), text) << id;
    }
    EXPECT_TRUE(w.findChild<QPushButton*>("id1")->isDefault());
    auto* folder = w.findChild<QLineEdit*>("id1701");
    EXPECT_TRUE(folder->isReadOnly());
    EXPECT_EQ(Folder(), dir.path());
    EXPECT_EQ(w.findChild<QLineEdit*>("id1705")->text().toStdString(), "tidemk.csv");
    ASSERT_EQ(w.typeCombo()->count(), 4);
    EXPECT_EQ(w.typeCombo()->itemText(2).toStdString(), "テキストファイル (*.txt)");
    EXPECT_EQ(w.findChild<QListWidget*>("id1703"), w.list());
    EXPECT_EQ(ListLines(), (Lines{"+sub", "+空のフォルダ", " a.csv", " 日本語の名前.csv"}));
    EXPECT_EQ(w.menu()->title().toStdString(), "ファイルダイアログ");
    Lines items;
    for (QAction* a : w.menu()->actions())
        items.push_back(a->text().toStdString() + "=" + a->objectName().toStdString());
    EXPECT_EQ(items, (Lines{"新規フォルダー=id40120", "名前の変更=id40121", "削除=id40122"}));
    // Full-screen over the parent; nothing left outside the window.
    EXPECT_EQ(w.size(), QSize(360, 480));
    for (QWidget* child : w.findChildren<QWidget*>())
        if (child->parentWidget() == &w) {
            EXPECT_TRUE(w.rect().contains(child->geometry())) << child->objectName().toStdString();
        }
    SaveScreenshot(&w, QStringLiteral("filedlg_save"));
}

TEST_F(FileSelectWindow, ChoosingLinesOpensFoldersAndCopiesFileNames) {
    CFileSelectDlg& w = Window();
    Choose(" a.csv");
    EXPECT_EQ(w.nameEdit()->text().toStdString(), "a.csv");
    EXPECT_EQ(Folder(), dir.path());
    Choose("+sub");
    EXPECT_EQ(Folder(), dir.file("sub"));
    EXPECT_EQ(ListLines(), (Lines{"+deeper", " inner.csv"}));
    EXPECT_EQ(w.list()->currentRow(), -1); // the refill chose nothing
    EXPECT_EQ(w.nameEdit()->text().toStdString(), "a.csv");
    w.OnCommand(FileDlgId::Up);
    EXPECT_EQ(Folder(), dir.path());
    EXPECT_EQ(Row("+sub"), 0);
    // The type combo lists the folder again with the chosen pattern.
    w.typeCombo()->setCurrentIndex(2);
    EXPECT_EQ(ListLines(), (Lines{"+sub", "+空のフォルダ", " b.txt"}));
    EXPECT_EQ(chooser.model().selectedType(), 2);
}

TEST_F(FileSelectWindow, FocusAloneNeverOpensAFolder) {
    CFileSelectDlg& w = Window();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // Shift+Tab from the name edit enters the list with no current row, again and again.
    for (int i = 0; i < 3; ++i) {
        w.nameEdit()->setFocus();
        QTest::keyClick(w.nameEdit(), Qt::Key_Backtab, Qt::ShiftModifier);
        QApplication::processEvents();
        EXPECT_TRUE(w.list()->hasFocus()) << i;
        EXPECT_EQ(Folder(), dir.path()) << i;
    }
    // Keys only move the mark, past every folder line; Return chooses the marked line.
    QTest::keyClick(w.list(), Qt::Key_Down);
    QTest::keyClick(w.list(), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(Folder(), dir.path());
    EXPECT_EQ(w.list()->currentRow(), Row(" a.csv"));
    QTest::keyClick(w.list(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(w.nameEdit()->text().toStdString(), "a.csv");
    EXPECT_EQ(Folder(), dir.path());
    // Typing a line's beginning marks it too, a file line's leading space included.
    w.list()->setFocus();
    QTest::keyClicks(w.list(), "+s");
    QApplication::processEvents();
    EXPECT_EQ(Folder(), dir.path());
    EXPECT_EQ(w.list()->currentRow(), Row("+sub"));
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(w.list(), " a");
    QApplication::processEvents();
    EXPECT_EQ(w.list()->currentRow(), Row(" a.csv"));
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(w.list(), "+s");
    QTest::keyClick(w.list(), Qt::Key_Enter, Qt::KeypadModifier);
    QApplication::processEvents();
    EXPECT_EQ(Folder(), dir.file("sub"));
    // Backspace goes up again.
    w.list()->setFocus();
    QTest::keyClick(w.list(), Qt::Key_Backspace);
    QApplication::processEvents();
    EXPECT_EQ(Folder(), dir.path());
}

TEST_F(FileSelectWindow, RightClickMarksAFolderLineForDeleteWithoutOpeningIt) {
    CFileSelectDlg& w = Window();
    QRect line = w.list()->visualItemRect(w.list()->item(Row("+空のフォルダ")));
    QTest::mouseClick(w.list()->viewport(), Qt::RightButton, {}, line.center());
    QApplication::processEvents();
    w.menu()->hide();
    EXPECT_EQ(Folder(), dir.path());
    EXPECT_EQ(w.list()->currentRow(), Row("+空のフォルダ"));
    messages.Answer(IDYES);
    w.OnCommand(FileDlgId::Delete);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().caption), "削除確認");
    EXPECT_FALSE(fs::exists(dir.file("空のフォルダ")));
    EXPECT_EQ(Row("+空のフォルダ"), -1);
}

TEST_F(FileSelectWindow, FolderCommandsGoThroughTheNameAsker) {
    std::vector<std::string> asked;
    chooser.SetNameAsker([&](std::u16string_view title, std::u16string_view initial) {
        asked.push_back(ToUtf8(title) + "|" + ToUtf8(initial));
        return std::optional<std::u16string>(title == u"新規フォルダ名" ? u"made" : u"renamed.csv");
    });
    CFileSelectDlg& w = Window();
    w.OnCommand(FileDlgId::NewFolder);
    EXPECT_TRUE(fs::is_directory(dir.file("made")));
    EXPECT_GE(Row("+made"), 0);
    w.SelectLineQuietly(Row(" a.csv"));
    w.OnCommand(FileDlgId::Rename);
    EXPECT_TRUE(fs::exists(dir.file("renamed.csv")));
    EXPECT_GE(Row(" renamed.csv"), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"新規フォルダ名|", "変更後の名称|a.csv"}));
    // Delete without a chosen line.
    w.OnCommand(FileDlgId::Delete);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().caption), "削除対象なし");
}

TEST_F(FileSelectWindow, NewFolderAsksWithTheValueInputDialog) {
    CFileSelectDlg& w = Window();
    std::string title;
    WhenModal<CValueInputDlg>([&](CValueInputDlg& input) {
        title = input.windowTitle().toStdString();
        input.edit()->setText(QString::fromUtf16(u"入力したフォルダ"));
        input.OnCommand(1);
    });
    w.OnCommand(FileDlgId::NewFolder);
    EXPECT_EQ(title, "新規フォルダ名");
    EXPECT_TRUE(fs::is_directory(dir.file("入力したフォルダ")));
    EXPECT_GE(Row("+入力したフォルダ"), 0);
    // Cancelled: nothing made, nothing said.
    WhenModal<CValueInputDlg>([](CValueInputDlg& input) { input.OnCommand(2); });
    w.OnCommand(FileDlgId::NewFolder);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(FileSelectWindow, RunEndsWithThePathAfterOkAndWithoutOneAfterCancel) {
    WhenModal<CFileSelectDlg>([](CFileSelectDlg& w) {
        w.typeCombo()->setCurrentIndex(2);
        w.nameEdit()->setText(QStringLiteral("log"));
        w.OnCommand(FileDlgId::Ok);
    });
    EXPECT_EQ(chooser.Run(&parent), 1);
    ASSERT_TRUE(chooser.result());
    EXPECT_EQ(ToUtf8(*chooser.result()), dir.file("log.csv"));

    for (int command : {FileDlgId::Cancel, FileDlgId::Close}) {
        FileSelectDialog again;
        again.SetFilter(kExchangeFilter);
        again.SetStartFolder(FromUtf8(dir.path()));
        WhenModal<CFileSelectDlg>([command](CFileSelectDlg& w) {
            w.nameEdit()->setText(QStringLiteral("log"));
            w.OnCommand(command);
        });
        EXPECT_EQ(again.Run(&parent), 2);
        EXPECT_FALSE(again.result());
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(FileSelectWindow, OkInOpenModeKeepsTheDialogOpenForAMissingFile) {
    chooser.SetMode(2);
    CFileSelectDlg& w = Window();
    w.nameEdit()->setText(QStringLiteral("missing"));
    w.OnCommand(FileDlgId::Ok);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text), "指定されたファイルは存在しません。");
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(chooser.result());
    w.nameEdit()->setText(QStringLiteral("a"));
    w.OnCommand(FileDlgId::Ok);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), 1);
    EXPECT_EQ(ToUtf8(*chooser.result()), dir.file("a.csv"));
}

TEST_F(FileSelectWindow, MalformedFilterEndsBeforeTheWindowOpens) {
    chooser.SetFilter(u"CSV (*.csv)|");
    EXPECT_EQ(chooser.Run(&parent), 2);
    EXPECT_FALSE(chooser.result());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().caption), "内部エラー");
}

TEST(ValueInput, TitleTextAndResults) {
    {
        ValueInputRequest request{std::nullopt, u"初期値", {}};
        CValueInputDlg dialog(request);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "値の入力");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("id1500")->text().toStdString(), "初期値");
        EXPECT_EQ(dialog.findChild<QPushButton*>("id1")->text().toStdString(), "OK");
        EXPECT_TRUE(dialog.findChild<QPushButton*>("id1")->isDefault());
        EXPECT_EQ(dialog.findChild<QPushButton*>("id2")->text().toStdString(), "キャンセル");
        // 230 × 70 at 96 dpi, centred on the screen.
        EXPECT_EQ(dialog.size(), QSize(345, 105));
        dialog.show();
        QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(dialog.pos(), QPoint(area.x() + (area.width() - 345) / 2, area.y() + (area.height() - 105) / 2));
        for (QWidget* child : dialog.findChildren<QWidget*>())
            EXPECT_TRUE(dialog.rect().contains(child->geometry())) << child->objectName().toStdString();
        SaveScreenshot(&dialog, QStringLiteral("valueinput"));
    }
    for (const char16_t* title : {u"", u"変更後の名称"}) {
        ValueInputRequest request{title, {}, {}};
        CValueInputDlg dialog(request);
        EXPECT_EQ(dialog.windowTitle().toStdString(), *title ? "変更後の名称" : "値の入力");
    }

    ValueInputRequest request{u"変更後の名称", u"a.csv", {}};
    WhenModal<CValueInputDlg>([](CValueInputDlg& dialog) {
        dialog.edit()->setText(QStringLiteral("b.csv"));
        dialog.OnCommand(1);
    });
    EXPECT_EQ(RunValueInputDlg(nullptr, request), 1);
    EXPECT_EQ(ToUtf8(request.resultText), "b.csv");

    ValueInputRequest cancelled{std::nullopt, u"a.csv", {}};
    WhenModal<CValueInputDlg>([](CValueInputDlg& dialog) {
        dialog.edit()->setText(QStringLiteral("typed"));
        dialog.OnCommand(2);
    });
    EXPECT_EQ(RunValueInputDlg(nullptr, cancelled), 2);
    EXPECT_EQ(cancelled.resultText, u"");
    // Closing the window is cancel too.
    WhenModal<CValueInputDlg>([](CValueInputDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(RunValueInputDlg(nullptr, cancelled), 2);
}

} // namespace
