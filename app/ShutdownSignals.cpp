// Signals that end the session reach the UI thread through a pipe: the handler only
// writes a byte (all a signal handler may safely do); the event loop reads it.
#include "app/ShutdownSignals.h"

#include "core/MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_pipe[1], &byte, 1);
}

} // namespace

ShutdownSignals::ShutdownSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::OnReadable);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals() {
    for (int s : kSignals)
        std::signal(s, SIG_DFL);
}

void ShutdownSignals::OnReadable() {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (onSignal_) onSignal_();
}

void CloseForShutdown(QWidget* mainWindow) {
    // Nobody is there to answer now: from here on every message goes to standard error
    // and takes its default answer, so a dialog that asks before closing (discard the
    // changes? save first?) cannot hold the session's end on a question.
    SetMessagePresenter(nullptr);
    // A modal dialog (a message box, the edit dialog) would keep its own event loop
    // and the main window alive; each is cancelled first, innermost first.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == mainWindow) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
    if (mainWindow) mainWindow->close();
    // The quit that follows the last window's close is called off when a window is
    // shown before it is carried out (a later start's raise request read in the same
    // turn of the loop), and the diary ran on after SIGTERM: the loop is ended here.
    QCoreApplication::quit();
}
