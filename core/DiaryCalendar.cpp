// The shared month calendar look.
#include "core/DiaryCalendar.h"

#include "core/ScaleByDpi.h"

#include <QCalendarWidget>
#include <QColor>
#include <QFont>
#include <QLocale>
#include <QTextCharFormat>

namespace {

void ColourDay(QCalendarWidget* calendar, Qt::DayOfWeek day, QColor colour) {
    QTextCharFormat format = calendar->weekdayTextFormat(day);
    format.setForeground(colour);
    calendar->setWeekdayTextFormat(day, format);
}

} // namespace

void SetUpDiaryCalendar(QCalendarWidget* calendar) {
    // The captions are Japanese everywhere, so the month and day names are too.
    calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    calendar->setFirstDayOfWeek(Qt::Sunday);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    ColourDay(calendar, Qt::Saturday, QColor(0, 0, 255));
    ColourDay(calendar, Qt::Sunday, QColor(255, 0, 0));
}

void UseSmallCalendarFont(QCalendarWidget* calendar) {
    QFont small = calendar->font();
    small.setPixelSize(ScaleByDpi(9));
    calendar->setFont(small);
}
