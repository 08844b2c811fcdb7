// Start-up and shutdown with windows: a first start without files, the first dialog
// by StartupMode, the settings written at the end, and the single instance (in
// process and with the TideLog program itself).
#include "app/AppMain.h"
#include "app/MainApp.h"
#include "app/SingleInstance.h"
#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

class Startup : public ::testing::Test {
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
    void PrepareFiles(const char* startupMode) {
        ASSERT_EQ(CreateDataFile(dir.file16("user.sdf")), S_OK);
        CloseDataFile();
        std::string settings = ToCp932(
            FromUtf8(std::string("[System]\r\nVersion:3.2.2010.1114\r\nStartupMode:") + startupMode + "\r\n\r\n"));
        TempDir::WriteBytes(dir.file("TideLog.dat"), settings);
    }
    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(Startup, FirstStartWithoutFilesCreatesTheDataFileAndShowsToday) {
    messages.Answer({IDOK, IDYES});
    window = InitApplication(app);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].text, u"設定ファイルが見つからないので初期化します。");
    EXPECT_EQ(messages.shown()[1].caption, u"データファイル初期化確認");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentView(), 1);
    EXPECT_EQ(window->findChild<QLabel*>("id1050")->text().toStdString(), "2010/11/14");
    EXPECT_EQ(window->listControl()->topLevelItemCount(), 1); // "<新規作成>"
    EXPECT_EQ(RunStartupDialog(app, *window), 0);
    window->OnCommand(Cmd::ViewMonth);
    window->close();
    window.reset();
    app.ShutdownApplication();
    std::u16string text = FromCp932(TempDir::ReadBytes(dir.file("TideLog.dat")));
    for (const char16_t* line : {u"[System]\r\nProgram Name:Tidemark\r\nVersion:3.2.2010.1114\r\n", u"InitView:3\r\n",
                                 u"[Category1]\r\n仕事\r\n", u"[Find]\r\n\r\n"})
        EXPECT_NE(text.find(line), std::u16string::npos) << ToUtf8(line);
}

TEST_F(Startup, DecliningTheNewDataFileEndsTheProgram) {
    messages.Answer({IDOK, IDNO});
    window = InitApplication(app);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(OpenTables(), nullptr);
}

// A new data file that cannot be made ends start-up with the code of the failure,
// not "(0)": in a read-only program folder (told first with its reason) and at a file
// size limit (where the failed write is told only by that code).
TEST_F(Startup, ANewDataFileThatCannotBeMadeEndsStartUpWithItsCode) {
    auto finalText = [](HRESULT hr) {
        return FormatText("データファイルの初期化に失敗しました。(%d)\nプログラムを終了します。", hr);
    };
    {
        ReadOnlyFolder folder(dir.file("ro"));
        ASSERT_TRUE(folder.refuses());
        SetProgramFolder(FromUtf8(dir.file("ro/")));
        messages.Answer({IDOK, IDYES});
        window = InitApplication(app);
        EXPECT_EQ(window, nullptr);
        ASSERT_EQ(messages.count(), 4u);
        EXPECT_EQ(messages.shown()[2].text, u"データファイル '" + FromUtf8(dir.file("ro/user.sdf")) +
                                                u"' を作成できません。\nアクセス権がありません。");
        EXPECT_EQ(messages.shown()[3].text, finalText(HResultFromSqlite(SQLITE_CANTOPEN)));
        EXPECT_EQ(messages.shown()[3].caption, u"データファイル初期化失敗");
        EXPECT_EQ(OpenTables(), nullptr);
    }
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    messages.Clear();
    messages.Answer({IDOK, IDYES});
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = saved;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
    CMainApp limited;
    window = InitApplication(limited);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.last().text, finalText(HResultFromSqlite(SQLITE_IOERR)));
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.sdf")));
}

// A data file that is a link to a missing target (a drive not mounted now) is a file
// that cannot be opened: start-up ends naming where the link points, asks nothing,
// and leaves the link as it was; nothing is made at its target.
TEST_F(Startup, ADataFileLinkToAMissingTargetIsNotReplaced) {
    const std::string link = dir.file("user.sdf"), target = dir.file("drive/user.sdf");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    messages.Answer({IDOK, IDYES});
    window = InitApplication(app);
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().text, u"データファイル '" + FromUtf8(link) + u"' を開けません。\nリンク先 '" +
                                        FromUtf8(target) + u"' が見つかりません。");
    EXPECT_EQ(messages.last().caption, u"データファイルオープンエラー");
    EXPECT_EQ(OpenTables(), nullptr);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), target);
    EXPECT_FALSE(std::filesystem::exists(dir.file("drive")));
}

TEST_F(Startup, StartupModeChoosesTheFirstDialog) {
    struct Case {
        const char* mode;
        int shown;
        std::vector<std::string> calls;
    } cases[] = {{"0", 0, {}}, {"1", 1, {"recorder"}}, {"2", 2, {"edit 6"}}, {"7", 0, {}}};
    for (const auto& c : cases) {
        PrepareFiles(c.mode);
        std::vector<std::string> calls;
        ViewHooks().runRecorder = [&](CMainWnd& w) {
            calls.push_back("recorder");
            EXPECT_TRUE(w.isVisible()); // the main window is the owner
            return 1;
        };
        ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
            calls.push_back("edit " + std::to_string(mode));
            return 1;
        };
        CMainApp fresh;
        window = InitApplication(fresh);
        ASSERT_NE(window, nullptr) << c.mode;
        EXPECT_EQ(RunStartupDialog(fresh, *window), c.shown) << c.mode;
        EXPECT_EQ(calls, c.calls) << c.mode;
        window.reset();
        CloseDataFile();
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(Startup, UnreadableSettingsFileEndsStartUpBeforeAnyWindow) {
    mkdir(dir.file("TideLog.dat").c_str(), 0755);
    window = InitApplication(app);
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"起動時エラー");
}

class CommandTarget : public QWidget {
    Q_OBJECT
public:
    Q_INVOKABLE void OnCommand(int command) { received.push_back(command); }
    std::vector<int> received;
};

// A command posted from a worker reaches a window that still exists, on the UI
// thread; a window closed and freed before it arrives is never addressed.
TEST(CommandPosting, OnlyWindowsThatStillExistReceiveTheirCommand) {
    QtCommandPoster poster;
    auto kept = std::make_unique<CommandTarget>();
    auto closed = std::make_unique<CommandTarget>();
    WindowHandle closedHandle = closed.get();
    std::thread worker([&] {
        poster.PostCommand(kept.get(), 33103);
        poster.PostCommand(closedHandle, 33103);
    });
    worker.join();
    closed.reset(); // the dialog goes while its completion is on its way
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(kept->received, std::vector<int>{33103});
    EXPECT_FALSE(QtCommandPoster::DeliverCommand(closedHandle, 33103));
    EXPECT_TRUE(QtCommandPoster::DeliverCommand(kept.get(), 7));
}

TEST(SingleInstance, ASecondInstanceRaisesTheFirst) {
    QString name = QStringLiteral("TIDELOG-test-%1").arg(QCoreApplication::applicationPid());
    CSingleInstance first(name);
    ASSERT_EQ(first.BecomeTheInstance(), CSingleInstance::First);
    QSignalSpy raised(&first, &CSingleInstance::raiseRequested);
    CSingleInstance second(name);
    EXPECT_EQ(second.BecomeTheInstance(), CSingleInstance::Second);
    EXPECT_TRUE(raised.count() > 0 || raised.wait(2000));
}

// The program itself: with the files in place the first start shows no message and
// keeps running; a second start ends at once with exit code 0.
// True once the process has its own handler for SIGTERM: the diary installs it when
// its window is up, and before that SIGTERM simply ends it.
bool CatchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (QByteArray line; !(line = status.readLine()).isEmpty();) {
        if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

TEST(SingleInstance, TheProgramStartsOnce) {
    TempDir home;
    std::string folder = home.path() + "/tidemark";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(CreateDataFile(FromUtf8(folder + "/user.sdf")), S_OK);
    CloseDataFile();
    TempDir::WriteBytes(folder + "/TideLog.dat", "[System]\r\nVersion:3.2.2010.1114\r\n\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(home.path()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(home.path()));
    env.insert(QStringLiteral("TMPDIR"), QString::fromStdString(home.path())); // the local socket's folder
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TIDELOG_PROGRAM), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    // Wait until the first instance listens.
    QElapsedTimer timer;
    timer.start();
    bool listening = false;
    while (!listening && timer.elapsed() < 10000 && first.state() == QProcess::Running) {
        QTest::qWait(200);
        listening = QFile::exists(QString::fromStdString(home.path()) + QStringLiteral("/TIDELOG-%1").arg(getuid()));
    }
    ASSERT_TRUE(listening);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TIDELOG_PROGRAM), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // Under load the first instance may still be starting: its signal handling is
    // waited for, so that the end tested is the orderly one.
    timer.restart();
    while (!CatchesSigterm(first.processId()) && timer.elapsed() < 20000 && first.state() == QProcess::Running)
        QTest::qWait(50);
    ASSERT_TRUE(CatchesSigterm(first.processId()));
    // SIGTERM (a logout, `kill`) ends the diary as "終了" does: the settings are written.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    std::u16string written = FromCp932(TempDir::ReadBytes(folder + "/TideLog.dat"));
    EXPECT_NE(written.find(u"Program Name:Tidemark\r\n"), std::u16string::npos);
    EXPECT_NE(written.find(u"[Category1]\r\n"), std::u16string::npos);
}

} // namespace

#include "StartupTest.moc"
