// Drawing of the weekday buttons.
#include "views/WeekdayButton.h"

#include "core/WidgetId.h"

#include <QPainter>

namespace {
const char16_t* const kWeekdayNames[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
}

CWeekdayButton::CWeekdayButton(int weekday, QWidget* parent) : QAbstractButton(parent), weekday_(weekday) {
    setText(QString::fromUtf16(kWeekdayNames[weekday]));
    SetId(this, 1051 + weekday);
    setFocusPolicy(Qt::NoFocus);
}

void CWeekdayButton::SetCurrent(bool current) {
    if (current_ == current) return;
    current_ = current;
    update();
}

QColor CWeekdayButton::BackgroundColor() const {
    return current_ ? QColor(255, 255, 255) : QColor(192, 192, 224);
}

QColor CWeekdayButton::TextColor() const {
    if (weekday_ == 0) return QColor(255, 0, 0);
    if (weekday_ == 6) return QColor(0, 0, 255);
    return QColor(0, 0, 0);
}

void CWeekdayButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, BackgroundColor());
    p.setPen(isDown() ? QColor(0, 0, 0) : QColor(128, 128, 160));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(TextColor());
    p.setFont(font());
    p.drawText(r, Qt::AlignCenter, text());
}
