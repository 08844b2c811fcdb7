// The Qt side of the logic layer's interfaces: message boxes as QMessageBox, the wait
// cursor as an override cursor, progress as a QProgressDialog shown after half a
// second over the active window, and commands posted to a window as queued calls on the UI thread.
#pragma once

#include "core/CommandPoster.h"
#include "core/MessageBox.h"
#include "core/Progress.h"
#include "core/WaitCursor.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

class QtMessagePresenter : public MessagePresenter {
public:
    int Show(WindowHandle owner, std::u16string_view text, std::u16string_view caption, unsigned flags) override;
};

class QtWaitCursor : public WaitCursor {
public:
    void Begin() override;
    void End() override;
};

class QtProgress : public ProgressSink {
public:
    ~QtProgress() override;
    void Start(std::u16string_view title, std::int64_t total) override;
    void Step(std::int64_t done) override;
    void Finish() override;

private:
    QElapsedTimer timer_;
    QString title_;
    std::int64_t total_ = -1;
    QPointer<QProgressDialog> dialog_;
};

// Delivers a posted command by calling OnCommand(int) on the target widget (which
// must declare it as a slot or Q_INVOKABLE) on the UI thread, from any thread. The
// target is looked at only there, and only while it still exists: a window closed
// before the command arrives is not addressed.
class QtCommandPoster : public CommandPoster {
public:
    void PostCommand(WindowHandle target, int command) override;
    // The UI thread's half: false when the target is gone or has no OnCommand.
    static bool DeliverCommand(WindowHandle target, int command);
};

// Installs the four Qt implementations (once, after the QApplication exists).
void InstallQtPlatform();

// The WindowHandle of a widget, for ShowMessage and PostCommand.
inline WindowHandle HandleOf(QWidget* widget) {
    return static_cast<void*>(widget);
}
