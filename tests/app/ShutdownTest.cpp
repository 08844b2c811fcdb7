// The end of a session while dialogs are open: every dialog closes, also one that asks
// before closing, and nothing waits for an answer nobody will give; the event loop
// ends whatever is shown afterwards.
#include "app/ShutdownSignals.h"
#include "core/QtPlatform.h"
#include "edit/ExtItemsEditDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <csignal>

namespace {

// Hides whatever modal window is still open after `ms`, so that a failing test ends;
// counts how many it had to close.
class Rescue {
public:
    explicit Rescue(int ms) {
        timer_.setInterval(ms);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            while (QWidget* modal = QApplication::activeModalWidget()) {
                ++closed_;
                modal->hide();
            }
        });
        timer_.start();
    }
    int closed() const { return closed_; }

private:
    QTimer timer_;
    int closed_ = 0;
};

TEST(SessionEnd, ClosesDialogsThatAskBeforeClosing) {
    QtMessagePresenter boxes; // real message boxes: a question would wait for a click
    SetMessagePresenter(&boxes);
    QWidget main;
    main.show();
    CExtItemsEditDlg editor(u"a:a:int:1:", 1, &main);
    // The editor's own question is open when the session ends.
    QTimer::singleShot(50, [&] {
        QTimer::singleShot(100, [&] { CloseForShutdown(&main); });
        editor.reject(); // "変更内容を破棄してよろしいですか？"
    });
    Rescue rescue(3000);
    editor.exec();
    EXPECT_EQ(rescue.closed(), 0);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    SetMessagePresenter(nullptr);
}

// A session-ending signal ends the event loop even when the main window is shown again
// after its close (a later start's raise request read in the same turn of the loop):
// the quit that follows the last window's close is called off by a window shown before
// it is carried out, and the diary ran on after SIGTERM.
TEST(SessionEnd, EndsTheEventLoopAlsoWhenTheWindowIsRaisedAfterItsClose) {
    MessagePresenter* previous = CurrentMessagePresenter();
    QWidget main;
    main.show();
    ShutdownSignals sessionEnd([&] {
        CloseForShutdown(&main);
        main.showNormal(); // the raise request that was waiting behind the signal
    });
    QTimer::singleShot(0, &main, [] { raise(SIGTERM); });
    QTimer guard; // a loop still running after 3 s has ignored the signal
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(3000);
    EXPECT_EQ(QApplication::exec(), 0);
    SetMessagePresenter(previous);
}

} // namespace
