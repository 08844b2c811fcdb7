// Tap-and-hold on the desktop: a right-click holds at once; a left press held 500 ms
// without moving more than 4 pixels holds too. A press that did not hold is a tap
// when it is released.
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>

class QMouseEvent;
class QWidget;

class TapAndHold : public QObject {
public:
    TapAndHold();
    // Starts tracking a press on widget; onHold gets the point in widget coordinates.
    void Press(QWidget* widget, const QMouseEvent* event, std::function<void(QPoint)> onHold);
    // Ends the press: true when it was a tap (a left press that did not hold).
    bool Release(const QMouseEvent* event);
    bool held() const { return held_; }
    // Forgets the press (a popup took over).
    void Cancel();

private:
    QTimer timer_;
    QWidget* widget_ = nullptr;
    QPoint at_;
    QPoint globalAt_;
    bool pressed_ = false;
    bool held_ = false;
    std::function<void(QPoint)> onHold_;
};
