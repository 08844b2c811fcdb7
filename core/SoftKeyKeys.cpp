// F10 and the Menu key press the active dialog's "メニュー" soft key.
#include "core/SoftKeyKeys.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace {

class SoftKeyKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_F10 && key->key() != Qt::Key_Menu) || key->modifiers() != Qt::NoModifier)
            return false;
        // Only dialogs: the main window has its own keys for its menu.
        auto* dialog = qobject_cast<QDialog*>(static_cast<QWidget*>(watched)->window());
        if (!dialog) return false;
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf16(u"メニュー") && button->isVisible() && button->isEnabled()) {
                button->click();
                return true;
            }
        }
        return false;
    }
};

} // namespace

void InstallSoftKeyKeys(QApplication& application) {
    static SoftKeyKeys* keys = nullptr;
    if (keys) return;
    keys = new SoftKeyKeys(&application);
    application.installEventFilter(keys);
}
