// Qt implementations of the message box, wait cursor, progress and command hooks.
#include "core/QtPlatform.h"

#include "core/SoftKeyKeys.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonSet {
    int ids[3];
    int count;
};

ButtonSet ButtonsOf(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, IDCANCEL, 0}, 2};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, IDRETRY, IDIGNORE}, 3};
    case MB_YESNOCANCEL:
        return {{IDYES, IDNO, IDCANCEL}, 3};
    case MB_YESNO:
        return {{IDYES, IDNO, 0}, 2};
    case MB_RETRYCANCEL:
        return {{IDRETRY, IDCANCEL, 0}, 2};
    default:
        return {{IDOK, 0, 0}, 1};
    }
}

QMessageBox::StandardButton StandardOf(int id) {
    switch (id) {
    case IDOK:
        return QMessageBox::Ok;
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDABORT:
        return QMessageBox::Abort;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDIGNORE:
        return QMessageBox::Ignore;
    case IDYES:
        return QMessageBox::Yes;
    default:
        return QMessageBox::No;
    }
}

// The buttons speak the program's language whatever the desktop's locale is.
QString CaptionOf(int id) {
    switch (id) {
    case IDOK:
        return QStringLiteral("OK");
    case IDCANCEL:
        return QString::fromUtf16(u"キャンセル");
    case IDABORT:
        return QString::fromUtf16(u"中止");
    case IDRETRY:
        return QString::fromUtf16(u"再試行");
    case IDIGNORE:
        return QString::fromUtf16(u"無視");
    case IDYES:
        return QString::fromUtf16(u"はい");
    default:
        return QString::fromUtf16(u"いいえ");
    }
}

} // namespace

int QtMessagePresenter::Show(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                             unsigned flags) {
    QMessageBox box(IconOf(flags), ToQString(caption), ToQString(text), QMessageBox::NoButton,
                    static_cast<QWidget*>(owner));
    ButtonSet set = ButtonsOf(flags);
    for (int i = 0; i < set.count; ++i)
        box.addButton(StandardOf(set.ids[i]))->setText(CaptionOf(set.ids[i]));
    int def = static_cast<int>((flags & MB_DEFMASK) >> 8);
    if (def >= set.count) def = 0;
    box.setDefaultButton(StandardOf(set.ids[def]));
    // Escape answers like the last button (Cancel or No), or OK for a single button.
    box.setEscapeButton(StandardOf(set.ids[set.count - 1]));
    int result = box.exec();
    for (int i = 0; i < set.count; ++i)
        if (result == StandardOf(set.ids[i])) return set.ids[i];
    return set.ids[set.count - 1];
}

void QtWaitCursor::Begin() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtWaitCursor::End() {
    QApplication::restoreOverrideCursor();
}

namespace {

// The active window, or else the dialog that holds the program modal, or else the
// one visible window of the program.
QWidget* ProgressOwner() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* shown = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || top->windowType() == Qt::Popup || top->windowType() == Qt::ToolTip) continue;
        if (shown) return nullptr; // several: none is known to be the user's
        shown = top;
    }
    return shown;
}

} // namespace

QtProgress::~QtProgress() {
    delete dialog_;
}

void QtProgress::Start(std::u16string_view title, std::int64_t total) {
    title_ = ToQString(title);
    total_ = total;
    timer_.start();
}

void QtProgress::Step(std::int64_t done) {
    if (!dialog_ && timer_.isValid() && timer_.elapsed() >= 500) {
        // Over the window the user is working in, so that it does not stand apart as a
        // window of its own; without one it blocks the whole program.
        QWidget* owner = ProgressOwner();
        dialog_ = new QProgressDialog(title_, QString(), 0, total_ > 0 ? static_cast<int>(total_) : 0, owner);
        dialog_->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        // A dialog shows itself only from setValue, which a loop of unknown length
        // (compaction) never calls: it is shown here.
        dialog_->show();
    }
    if (dialog_) {
        if (total_ > 0) dialog_->setValue(static_cast<int>(std::min(done, total_)));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void QtProgress::Finish() {
    delete dialog_;
    dialog_ = nullptr; // the next loop makes its own
    timer_.invalidate();
}

void QtCommandPoster::PostCommand(WindowHandle target, int command) {
    if (!target || !qApp) return;
    // The target is not touched on the posting thread: a window closed while its
    // request was pending may be gone. The UI thread checks that it still exists.
    QMetaObject::invokeMethod(
        qApp, [target, command] { DeliverCommand(target, command); }, Qt::QueuedConnection);
}

bool QtCommandPoster::DeliverCommand(WindowHandle target, int command) {
    // A WindowHandle always holds a QWidget*; only a widget that still exists is called.
    auto* widget = static_cast<QWidget*>(target);
    if (!QApplication::allWidgets().contains(widget)) return false;
    return QMetaObject::invokeMethod(widget, "OnCommand", Qt::DirectConnection, Q_ARG(int, command));
}

void InstallQtPlatform() {
    static QtMessagePresenter messages;
    static QtWaitCursor cursor;
    static QtProgress progress;
    static QtCommandPoster poster;
    SetMessagePresenter(&messages);
    SetWaitCursor(&cursor);
    SetProgressSink(&progress);
    SetCommandPoster(&poster);
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) InstallSoftKeyKeys(*application);
}
