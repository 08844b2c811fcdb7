// The end of a session by signal: SIGTERM (logout, `systemctl --user stop`, `kill`),
// SIGHUP and SIGINT run the orderly shutdown instead of ending the diary on the spot,
// so that the settings and the recorder state are saved.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;
class QWidget;

class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    // onSignal runs on the UI thread, once per signal received.
    explicit ShutdownSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    // Gives the signals their default action back.
    ~ShutdownSignals() override;

private:
    void OnReadable();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

// Closes the open dialogs (cancel) and then the main window, as its "終了" does, and
// ends the event loop whatever is shown afterwards.
void CloseForShutdown(QWidget* mainWindow);
