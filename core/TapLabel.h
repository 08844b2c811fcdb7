// A static text that reports a tap: the dialogs' value fields that open a calendar, a
// time list or a chooser. It also takes the keyboard focus, where Space, Return or F2
// is its tap, so a keyboard user reaches every field with Tab.
#pragma once

#include <QLabel>

#include <functional>

class TapLabel : public QLabel {
public:
    TapLabel(QWidget* parent, std::function<void()> onTap);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetBackground(const QColor& color);

    std::function<void()> onTap_;
    QColor normal_;
    bool focused_ = false;
};
