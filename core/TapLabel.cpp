// Tap and key handling of the dialogs' value fields.
#include "core/TapLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

TapLabel::TapLabel(QWidget* parent, std::function<void()> onTap) : QLabel(parent), onTap_(std::move(onTap)) {
    setFocusPolicy(Qt::StrongFocus);
}

void TapLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) onTap_();
    event->accept();
}

void TapLabel::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (isEnabled() && event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2)) {
        onTap_();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

// The focused field shows in the selection colour, and its own colour again after.
void TapLabel::focusInEvent(QFocusEvent* event) {
    if (!focused_) normal_ = palette().color(QPalette::Window);
    focused_ = true;
    SetBackground(palette().color(QPalette::Highlight).lighter(170));
    QLabel::focusInEvent(event);
}

void TapLabel::focusOutEvent(QFocusEvent* event) {
    if (focused_) SetBackground(normal_);
    focused_ = false;
    QLabel::focusOutEvent(event);
}

void TapLabel::SetBackground(const QColor& color) {
    if (!autoFillBackground()) return;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}
