// The look every month calendar of the programs shares: Japanese names whatever the
// user's locale, weeks from Sunday, Saturday blue and Sunday red as on the date strip.
#pragma once

class QCalendarWidget;

void SetUpDiaryCalendar(QCalendarWidget* calendar);

// The calendar of a dialog, placed in a field-sized room: a smaller font than the
// dialog's, so that all seven days fit.
void UseSmallCalendarFont(QCalendarWidget* calendar);
