// One of the seven weekday buttons of the date strip, drawn by the window: white for
// the weekday of ShownDate, light grey-blue for the others; red Sunday, blue Saturday.
#pragma once

#include <QAbstractButton>

class CWeekdayButton : public QAbstractButton {
    Q_OBJECT
public:
    // weekday 0 Sunday … 6 Saturday.
    CWeekdayButton(int weekday, QWidget* parent);
    void SetCurrent(bool current);
    bool isCurrent() const { return current_; }
    QColor BackgroundColor() const;
    QColor TextColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int weekday_;
    bool current_ = false;
};
