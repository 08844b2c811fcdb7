// The end of a session while dialogs are open: every dialog closes, also one that asks
// before closing, and nothing waits for an answer nobody will give.
#include "app/ShutdownSignals.h"
#include "core/QtPlatform.h"
#include "edit/ExtItemsEditDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <vector>

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
    std::vector<int> ends;
    // The editor's own question is open when the session ends.
    QTimer::singleShot(50, [&] {
        QTimer::singleShot(100, [&] { CloseForShutdown(&main); });
        editor.reject(); // "変更内容を破棄してよろしいですか？"
    });
    Rescue rescue(3000);
    ends.push_back(editor.exec());
    EXPECT_EQ(rescue.closed(), 0);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    SetMessagePresenter(nullptr);
}

} // namespace
