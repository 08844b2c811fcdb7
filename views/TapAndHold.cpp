// Telling taps from taps-and-holds.
#include "views/TapAndHold.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

TapAndHold::TapAndHold() {
    timer_.setSingleShot(true);
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] {
        bool still =
            (QApplication::mouseButtons() & Qt::LeftButton) && (QCursor::pos() - globalAt_).manhattanLength() <= 4;
        if (!pressed_ || !still || !widget_) return;
        held_ = true;
        if (onHold_) onHold_(at_);
    });
}

void TapAndHold::Press(QWidget* widget, const QMouseEvent* event, std::function<void(QPoint)> onHold) {
    widget_ = widget;
    at_ = event->position().toPoint();
    globalAt_ = event->globalPosition().toPoint();
    held_ = false;
    onHold_ = std::move(onHold);
    if (event->button() == Qt::RightButton) {
        pressed_ = false;
        held_ = true;
        if (onHold_) onHold_(at_);
        return;
    }
    pressed_ = event->button() == Qt::LeftButton;
    if (pressed_) timer_.start();
}

bool TapAndHold::Release(const QMouseEvent* event) {
    timer_.stop();
    bool tap = pressed_ && !held_ && event->button() == Qt::LeftButton;
    pressed_ = false;
    held_ = false;
    return tap;
}

void TapAndHold::Cancel() {
    timer_.stop();
    pressed_ = false;
    held_ = false;
}
