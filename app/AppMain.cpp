// Start-up, the message loop and shutdown of the diary.
#include "app/AppMain.h"

#include "app/MainApp.h"
#include "app/ShutdownSignals.h"
#include "app/SingleInstance.h"
#include "core/MessageBox.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/WaitCursor.h"
#include "edit/EditActionDlg.h"
#include "edit/WebMap.h"
#include "exchange/ExchangeDlg.h"
#include "find/FindDlg.h"
#include "options/OptionsDlg.h"
#include "recorder/RecorderDlg.h"
#include "store/DamageWatch.h"
#include "store/DataFileTables.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/MapView.h"
#include "views/ViewHooks.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include <csignal>

void InstallDialogHooks() {
    ViewHooks().runEditDialog = [](CMainWnd& window, int mode) { return RunEditActionDlg(&window, mode); };
    ViewHooks().runExchange = [](CMainWnd& window, bool import) {
        return OpenExchangeDlg(&window, *App(), import ? ExchangeMode::Import : ExchangeMode::Export,
                               [&window] { window.RefillView(); });
    };
    ViewHooks().runFind = RunFindDlg;
    ViewHooks().openWebMap = [](CMainWnd& window) { window.mapView().OnEditDispMap(); };
    ViewHooks().moveMap = [](CMainWnd& window) { window.mapView().MoveToSelected(); };
    ViewHooks().runOptions = [](CMainWnd& window) { return RunOptionsDlg(window, 0); };
    ViewHooks().runRecorder = [](CMainWnd& window) { return RunRecorderDlg(*App(), &window); };
    RecorderHooks().runEditDialog = [](QWidget* parent, int mode) { return RunEditActionDlg(parent, mode); };
    RecorderHooks().openWebMap = [](QWidget* owner, double latitude, double longitude) {
        return OpenWebMap(owner, latitude, longitude);
    };
}

void PrepareQtApplication() {
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"));
    InstallQtPlatform();
    InstallDialogHooks();
}

std::unique_ptr<CMainWnd> InitApplication(CMainApp& app) {
    if (app.LoadSettings(ProgramDpi()) != 0) return nullptr;
    int opened = app.OpenDataFileAtStartup();
    if (opened < -99) return nullptr;
    MenuBarHeight();
    auto window = std::make_unique<CMainWnd>(app);
    window->Start(app.settings.InitView, app.settings.DayVwMltDayMode);
    window->show();
    return window;
}

int RunStartupDialog(CMainApp& app, CMainWnd& window) {
    switch (app.settings.StartupMode) {
    case 1:
        if (ViewHooks().runRecorder) {
            ViewHooks().runRecorder(window);
            window.RefillView();
        }
        return 1;
    case 2:
        if (ViewHooks().runEditDialog) {
            ViewHooks().runEditDialog(window, EditDlgMode::NewAtStartup);
            window.RefillView();
        }
        return 2;
    default:
        return 0;
    }
}

int RunTideLog(int argc, char** argv) {
    // A write to a socket whose peer has gone (gpsd, the single-instance server) must
    // fail with EPIPE, not end the diary with unsaved settings and recorder state.
    std::signal(SIGPIPE, SIG_IGN);
    InstallDamageWatch(); // before the engine's first use
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidemark"));
    PrepareQtApplication();
    CSingleInstance instance(QStringLiteral("TIDELOG"));
    switch (instance.BecomeTheInstance()) {
    case CSingleInstance::First:
        break;
    case CSingleInstance::Second:
        return 0; // the running diary comes to the front
    case CSingleInstance::Failed:
        ShowMessage(nullptr,
                    u"多重起動を防ぐためのソケット '" + instance.socketName().toStdU16String() +
                        u"' を作成できません。\n" + instance.listenError().toStdU16String() +
                        u"\nプログラムを終了します。",
                    u"起動時エラー", MB_OK | MB_ICONSTOP);
        return 1;
    }
    auto app = std::make_unique<CMainApp>();
    SetApp(app.get());
    CurrentWaitCursor().Begin();
    std::unique_ptr<CMainWnd> window = InitApplication(*app);
    CurrentWaitCursor().End();
    if (!window) { // start-up ended; the user has been told why
        CloseDataFile();
        SetApp(nullptr);
        return 1;
    }
    // Logout, `kill` and Ctrl+C end the session as "終了" does.
    ShutdownSignals sessionEnd([w = window.get()] { CloseForShutdown(w); });
    QObject::connect(&instance, &CSingleInstance::raiseRequested, window.get(), [w = window.get()] {
        w->showNormal();
        w->raise();
        w->activateWindow();
    });
    // Damage any command meets in the data file is told once that command's own
    // messages and dialogs are closed.
    QTimer damageWatch;
    QObject::connect(&damageWatch, &QTimer::timeout, window.get(), [&app, w = window.get()] {
        if (!QApplication::activeModalWidget()) TellDamageOnce(HandleOf(w), app->settings.DataFile);
    });
    damageWatch.start(500);
    RunStartupDialog(*app, *window);
    int exitCode = window->isVisible() ? qt.exec() : 0;
    window.reset();
    app->ShutdownApplication();
    SetApp(nullptr);
    return exitCode;
}
