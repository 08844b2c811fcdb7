// The import/export dialog: its controls in both modes, the names kept per mode, the
// Ver.1 rule, browse, the run with its confirmations (the export count under a
// search), and imports through the main window's menu entry with the progress dialog
// and the view refilled; screenshots of both modes and of the progress dialog.
#include "exchange/ExchangeDlg.h"
#include "app/AppMain.h"
#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeProgress.h"
#include "filedlg/FileSelectDialog.h"
#include "filedlg/FolderListing.h"
#include "store/DataFileTables.h"
#include "store/UserDataTable.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

constexpr unsigned kQuestion = MB_YESNO | MB_ICONQUESTION;

template <typename T> T* Child(QWidget& parent, int id) {
    return parent.findChild<T*>(QStringLiteral("id%1").arg(id));
}

std::string Text(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    return "<none>";
}

// Runs step on the modal exchange dialog once it is open.
void WhenModal(std::function<void(CExchangeDlg&)> step) {
    QTimer::singleShot(0, [step] {
        if (auto* dialog = qobject_cast<CExchangeDlg*>(QApplication::activeModalWidget())) {
            step(*dialog);
        } else {
            ADD_FAILURE() << "no modal exchange dialog";
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
        }
    });
}

// A Ver.3 file of rows actions, one a minute from 2010/11/14 00:00 (ASCII only, so
// the bytes are CP932 as they stand); a Ver.1 file when ver1.
std::string ExchangeLines(int rows, bool ver1 = false) {
    using namespace std::chrono;
    std::string text = ver1 ? "" : ToCp932(Ver3HeaderLine()) + "\r\n";
    char line[256];
    for (int i = 0; i < rows; ++i) {
        year_month_day date{sys_days{2010y / November / 14} + days{i / 1440}};
        int y = int(date.year()), m = int(unsigned(date.month())), d = int(unsigned(date.day()));
        int h = i % 1440 / 60, mi = i % 60;
        if (ver1)
            std::snprintf(line, sizeof line,
                          "%04d/%02d/%02d\t%02d:%02d\t%04d/%02d/%02d\t%02d:%02d\tplace\tc1\tc2\tm\r\n", y, m, d, h, mi,
                          y, m, d, h, mi);
        else
            std::snprintf(line, sizeof line,
                          "ID%04d%02d%02d%02d%02d0000\t2010/11/01 00:00:00\t%04d/%02d/%02d %02d:%02d:00\t"
                          "%04d/%02d/%02d %02d:%02d:30\t35.5\t139.75\tsubject %d\tplace\tc1\tc2\t\"m\"\t\r\n",
                          y, m, d, h, mi, y, m, d, h, mi, y, m, d, h, mi, i);
        text += line;
    }
    return text;
}

class ExchangeDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFixedClock(2010, 11, 17, 12, 0, 0);
        SetProgramFolder(FromUtf8(dir.path() + "/"));
        app.settings = DefaultSettings(144);
        app.settings.DataFile = dir.file16("user.sdf");
        ASSERT_EQ(CreateDataFile(app.settings.DataFile), S_OK);
        app.shownDate = {2010, 11, 14};
        SetApp(&app);
        ViewHooks() = MainWndHooks{};
        parent.resize(360, 480);
    }
    void TearDown() override {
        FileSelectRunHook() = nullptr;
        CExchangeProgress::ShowAfterMs() = 500;
        CExchangeProgress::UpdateHook() = nullptr;
        window.reset();
        ViewHooks() = MainWndHooks{};
        CloseDataFile();
        SetApp(nullptr);
        SetClockSource({});
    }
    CExchangeDlg& Dialog(int mode) {
        dialog = std::make_unique<CExchangeDlg>(app, mode, &parent);
        dialog->show();
        return *dialog;
    }
    void AddAction(const char* start, const char* subject) {
        ActionRecord r;
        r[ActionField::StaDateTime] = FromUtf8(start);
        r[ActionField::EndDateTime] = FromUtf8(start);
        r[ActionField::Subject] = FromUtf8(subject);
        ASSERT_EQ(OpenTables()->userData->InsertAction(r), S_OK);
    }
    long long Rows() {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(OpenTables()->db, "select count(*) from t_UserData", -1, &stmt, nullptr);
        long long rows = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        return rows;
    }

    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
    QWidget parent;
    std::unique_ptr<CExchangeDlg> dialog;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(ExchangeDlgTest, BothModesCarryTheirControlsAndTexts) {
    CExchangeDlg& ex = Dialog(ExchangeMode::Export);
    EXPECT_EQ(ex.windowTitle().toStdString(), "エクスポート");
    EXPECT_EQ(Text(Child<QLabel>(ex, 1200)), "エクスポート");
    EXPECT_EQ(Text(Child<QPushButton>(ex, 1)), "閉じる");
    EXPECT_TRUE(Child<QPushButton>(ex, 1)->isDefault());
    EXPECT_EQ(Text(Child<QLabel>(ex, 1201)), "対象ファイル:");
    EXPECT_EQ(Text(Child<QPushButton>(ex, 1203)), "...");
    EXPECT_EQ(Text(Child<QGroupBox>(ex, 1204)), "データフォーマット");
    EXPECT_EQ(Text(Child<QRadioButton>(ex, 1205)), "Ver.1");
    EXPECT_EQ(Text(Child<QRadioButton>(ex, 1206)), "Ver.2");
    EXPECT_EQ(Text(Child<QRadioButton>(ex, 1207)), "Ver.3");
    EXPECT_TRUE(Child<QRadioButton>(ex, 1207)->isChecked());
    EXPECT_EQ(Text(Child<QPushButton>(ex, 1211)), "エクスポート");
    EXPECT_EQ(Text(Child<QPushButton>(ex, 40002)), "エクスポート");
    EXPECT_EQ(Text(Child<QPushButton>(ex, 40003)), "メニュー");
    EXPECT_FALSE(Child<QGroupBox>(ex, 1208)->isVisible());
    std::vector<std::string> items;
    for (QAction* a : ex.menu()->actions())
        items.push_back(a->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"名称クリア", "閉じる"}));
    EXPECT_EQ(ex.geometry().size(), parent.size()); // full screen over the main window
    SaveScreenshot(&ex, QStringLiteral("exchange_export"));

    CExchangeDlg& im = Dialog(ExchangeMode::Import);
    EXPECT_EQ(Text(Child<QLabel>(im, 1200)), "インポート");
    EXPECT_EQ(Text(Child<QPushButton>(im, 1211)), "インポート");
    EXPECT_EQ(Text(Child<QPushButton>(im, 40002)), "インポート");
    EXPECT_TRUE(Child<QGroupBox>(im, 1208)->isVisible());
    EXPECT_EQ(Text(Child<QGroupBox>(im, 1208)), "読込方法");
    EXPECT_EQ(Text(Child<QRadioButton>(im, 1209)), "追加");
    EXPECT_EQ(Text(Child<QRadioButton>(im, 1210)), "置換");
    EXPECT_TRUE(Child<QRadioButton>(im, 1210)->isChecked());
    EXPECT_EQ(im.method(), 2);
    SaveScreenshot(&im, QStringLiteral("exchange_import"));
}

TEST_F(ExchangeDlgTest, EachModeKeepsItsLastFileNameForTheRun) {
    Dialog(ExchangeMode::Export).fileEdit()->setText(QStringLiteral("/tmp/first.csv"));
    dialog->OnCommand(ExchangeDlgId::Close);
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(Dialog(ExchangeMode::Import).fileEdit()->text().toStdString(), "");
    dialog->fileEdit()->setText(QStringLiteral("/tmp/in.csv"));
    dialog->OnCommand(ExchangeDlgId::MenuClose);
    EXPECT_EQ(Dialog(ExchangeMode::Export).fileEdit()->text().toStdString(), "/tmp/first.csv");
    dialog->reject(); // the window's close request stores the name too
    EXPECT_EQ(Dialog(ExchangeMode::Import).fileEdit()->text().toStdString(), "/tmp/in.csv");
    // "名称クリア" empties the edit; closing keeps the empty name.
    dialog->OnCommand(ExchangeDlgId::ClearName);
    EXPECT_TRUE(dialog->fileEdit()->text().isEmpty());
    dialog->OnCommand(ExchangeDlgId::Close);
    EXPECT_EQ(app.importFileName, u"");
    EXPECT_EQ(app.exportFileName, u"/tmp/first.csv");
}

TEST_F(ExchangeDlgTest, Ver1ForcesAddAndTheLayoutsAfterItRestoreTheMethod) {
    CExchangeDlg& im = Dialog(ExchangeMode::Import);
    auto* add = Child<QRadioButton>(im, 1209);
    auto* replace = Child<QRadioButton>(im, 1210);
    auto* group = Child<QGroupBox>(im, 1208);
    im.OnCommand(ExchangeDlgId::Ver1);
    EXPECT_EQ(im.layout(), 1);
    EXPECT_TRUE(add->isChecked());
    EXPECT_FALSE(group->isEnabled() || add->isEnabled() || replace->isEnabled());
    im.OnCommand(ExchangeDlgId::Ver1); // again: still remembers "置換"
    im.OnCommand(ExchangeDlgId::Ver3);
    EXPECT_TRUE(replace->isChecked());
    EXPECT_TRUE(group->isEnabled() && add->isEnabled() && replace->isEnabled());
    // "追加" chosen before Ver.1 comes back as "追加" with Ver.2.
    im.OnCommand(ExchangeDlgId::Add);
    im.OnCommand(ExchangeDlgId::Ver1);
    im.OnCommand(ExchangeDlgId::Ver2);
    EXPECT_EQ(im.layout(), 2);
    EXPECT_TRUE(add->isChecked());
    EXPECT_EQ(im.method(), 1);
    // A real click goes through the same path.
    replace->click();
    Child<QRadioButton>(im, 1205)->click();
    Child<QRadioButton>(im, 1207)->click();
    EXPECT_TRUE(replace->isChecked());
    EXPECT_EQ(im.layout(), 3);

    CExchangeDlg& ex = Dialog(ExchangeMode::Export);
    ex.OnCommand(ExchangeDlgId::Ver1);
    EXPECT_EQ(ex.layout(), 1);
    EXPECT_TRUE(Child<QRadioButton>(ex, 1205)->isChecked());
}

TEST_F(ExchangeDlgTest, BrowseOffersTheExchangeFilesAndPutsTheChoiceIntoTheEdit) {
    struct Seen {
        std::u16string filter, title, name, start;
        int mode = 0;
    } seen;
    std::optional<std::u16string> answer = u"chosen.csv";
    FileSelectRunHook() = [&](FileSelectDialog& chooser, QWidget*) {
        FileSelectModel& m = chooser.model();
        seen = {m.filterText, m.title, m.defaultName, m.startFolder, m.mode};
        if (!answer) return 2;
        m.startFolder = FromUtf8(dir.path()); // the user walks to the test's folder
        EXPECT_EQ(m.Open(nullptr), 0);
        EXPECT_EQ(m.Accept(nullptr, *answer), 0);
        return 1;
    };
    CExchangeDlg& ex = Dialog(ExchangeMode::Export);
    ex.OnCommand(ExchangeDlgId::Browse);
    EXPECT_EQ(seen.filter, u"TSV/CSVファイル (*.csv)|*.csv|データファイル (*.dat)|*.dat|テキストファイル "
                           u"(*.txt)|*.txt|すべてのファイル (*.*)|*.*");
    EXPECT_EQ(seen.title, u"保存先");
    EXPECT_EQ(seen.name, u"tidemk.csv");
    EXPECT_EQ(seen.mode, 1);
    EXPECT_EQ(seen.start, HomeFolder()); // the root folder of the handheld
    EXPECT_EQ(FromQString(ex.fileEdit()->text()), dir.file16("chosen.csv"));

    TempDir::WriteBytes(dir.file("in.csv"), "");
    answer = u"in.csv";
    CExchangeDlg& im = Dialog(ExchangeMode::Import);
    im.OnCommand(ExchangeDlgId::Browse);
    EXPECT_EQ(seen.title, u"入力元");
    EXPECT_EQ(seen.name, u"");
    EXPECT_EQ(seen.mode, 2);
    EXPECT_EQ(FromQString(im.fileEdit()->text()), dir.file16("in.csv"));
    // Cancel leaves the edit alone.
    answer.reset();
    im.OnCommand(ExchangeDlgId::Browse);
    EXPECT_EQ(FromQString(im.fileEdit()->text()), dir.file16("in.csv"));

    CExchangeDlg& bad = Dialog(7);
    bad.OnCommand(ExchangeDlgId::Browse);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"インポート/エクスポート種別の値が不正です。");
    EXPECT_EQ(messages.last().caption, u"内部エラー");
}

TEST_F(ExchangeDlgTest, RunWithoutNameOrWithNoChangesNothing) {
    CExchangeDlg& ex = Dialog(ExchangeMode::Export);
    ex.OnCommand(ExchangeDlgId::SoftKeyRun);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"対象ファイルが指定されていません。");
    EXPECT_EQ(messages.last().caption, u"対象ファイル未指定");
    EXPECT_EQ(messages.last().flags, unsigned(MB_OK | MB_ICONEXCLAMATION));

    std::string out = dir.file("out.csv");
    ex.fileEdit()->setText(QString::fromStdString(out));
    messages.Answer(IDNO);
    ex.OnCommand(ExchangeDlgId::Run);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_FALSE(std::filesystem::exists(out));

    TempDir::WriteBytes(dir.file("in.csv"), ExchangeLines(3));
    CExchangeDlg& im = Dialog(ExchangeMode::Import);
    im.fileEdit()->setText(QString::fromStdString(dir.file("in.csv")));
    messages.Answer(IDNO);
    im.OnCommand(ExchangeDlgId::Run);
    EXPECT_EQ(messages.last().text, FromUtf8(dir.file("in.csv")) + u"をインポートしますか？");
    EXPECT_EQ(messages.last().caption, u"インポートの確認");
    EXPECT_EQ(messages.last().flags, kQuestion);
    EXPECT_EQ(Rows(), 0);
}

TEST_F(ExchangeDlgTest, ExportCountsAndWritesTheSearchResult) {
    AddAction("2010/11/14 09:00:00", "keep");
    AddAction("2010/11/14 10:00:00", "drop");
    AddAction("2010/11/14 11:00:00", "keep");
    app.searchCondition = u"f_nvcSubject = 'keep'";
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition), S_OK);
    std::string out = dir.file("out.csv");
    CExchangeDlg& ex = Dialog(ExchangeMode::Export);
    ex.fileEdit()->setText(QString::fromStdString(out));
    ex.OnCommand(ExchangeDlgId::Ver2);
    messages.Answer({IDYES, IDOK});
    ex.OnCommand(ExchangeDlgId::Run);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].text,
              u"現在該当している2個のアクションを" + FromUtf8(out) + u"へエクスポートしますか？");
    EXPECT_EQ(messages.shown()[0].caption, u"エクスポートの確認");
    EXPECT_EQ(messages.shown()[0].flags, kQuestion);
    EXPECT_EQ(messages.last().caption, u"エクスポート完了");
    std::string bytes = TempDir::ReadBytes(out);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2);
    EXPECT_EQ(bytes.find("drop"), std::string::npos);
    EXPECT_TRUE(ex.isVisible()); // the dialog stays open for the next file
}

// The main window's "インポート..." opens the dialog through the entry installed at
// start-up; the import shows the progress dialog and the view shows the new rows.
TEST_F(ExchangeDlgTest, ImportThroughTheMenuShowsProgressAndRefillsTheView) {
    InstallDialogHooks();
    ASSERT_TRUE(ViewHooks().runExchange);
    window = std::make_unique<CMainWnd>(app);
    window->resize(360, 480);
    window->show();
    window->Start(1, 1);
    ASSERT_EQ(window->listControl()->topLevelItemCount(), 1); // only "<新規作成>"

    const int rows = 100000;
    std::string input = dir.file("many.csv");
    TempDir::WriteBytes(input, ExchangeLines(rows));
    CExchangeProgress::ShowAfterMs() = 0;
    std::vector<std::string> phases;
    bool pictured = false;
    std::int64_t largestTotal = 0;
    CExchangeProgress::UpdateHook() = [&](CExchangeProgress& progress) {
        std::string text = progress.Text().toStdString();
        std::string phase = text.substr(text.find('\n') + 1);
        phase = phase.substr(0, phase.find('\n'));
        if (phases.empty() || phases.back() != phase) phases.push_back(phase);
        EXPECT_EQ(text.substr(0, text.find('\n')), input);
        EXPECT_TRUE(progress.dialog()->isVisible());
        largestTotal = std::max<std::int64_t>(largestTotal, progress.dialog()->maximum());
        if (!pictured && progress.dialog()->value() > rows / 3) {
            SaveScreenshot(progress.dialog(), QStringLiteral("exchange_progress"));
            pictured = true;
        }
    };
    int afterImportCount = -1;
    WhenModal([&](CExchangeDlg& dlg) {
        dlg.fileEdit()->setText(QString::fromStdString(input));
        messages.Answer({IDYES, IDOK});
        dlg.OnCommand(ExchangeDlgId::SoftKeyRun);
        afterImportCount = window->listControl()->topLevelItemCount(); // refilled while the dialog is open
        EXPECT_EQ(messages.last().text, u"インポートが完了しました。");
        EXPECT_EQ(dlg.findChild<QProgressDialog*>(), nullptr); // gone with the run
        dlg.OnCommand(ExchangeDlgId::Close);
    });
    window->OnCommand(Cmd::FileImport);
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(app.actionIndex.count(), rows);
    EXPECT_EQ(app.importFileName, FromUtf8(input));
    EXPECT_EQ(afterImportCount, 1440 + 1); // the first day's actions, then "<新規作成>"
    EXPECT_EQ(window->listControl()->topLevelItemCount(), afterImportCount);
    EXPECT_TRUE(pictured);
    EXPECT_EQ(largestTotal, rows);
    ASSERT_FALSE(phases.empty());
    EXPECT_EQ(phases.back(), "書込み中");
}

TEST_F(ExchangeDlgTest, AnImportStoppedByABadLineWritesNothingAndNamesTheLine) {
    std::string lines = ExchangeLines(5, true);
    size_t third = 0;
    for (int i = 0; i < 2; ++i)
        third = lines.find('\n', third) + 1;
    // Line 3 ends before it starts.
    lines.insert(third, "2010/11/14\t10:00\t2010/11/14\t09:00\tp\tc\tc\tm\r\n");
    std::string input = dir.file("bad.csv");
    TempDir::WriteBytes(input, lines);
    messages.Answer({IDYES, IDOK, IDOK});
    int refills = 0;
    dialog = std::make_unique<CExchangeDlg>(app, ExchangeMode::Import, &parent, [&] { ++refills; });
    dialog->OnCommand(ExchangeDlgId::Ver1);
    dialog->fileEdit()->setText(QString::fromStdString(input));
    dialog->OnCommand(ExchangeDlgId::Run);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[1].text, u"3 行目の値が不正です。(-106)\nインポートを中止します。");
    EXPECT_EQ(messages.shown()[1].caption, u"インポート中止");
    EXPECT_EQ(messages.last().text, u"インポートに失敗しました。");
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(refills, 1);
}

} // namespace
