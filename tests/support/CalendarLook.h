// Checks that a month calendar has the programs' shared look whatever the test's locale:
// Japanese names, weeks from Sunday, Saturday blue and Sunday red.
#pragma once

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QColor>
#include <QLocale>
#include <QTextCharFormat>

inline void ExpectDiaryCalendarLook(const QCalendarWidget* calendar) {
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->locale().language(), QLocale::Japanese);
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(calendar->weekdayTextFormat(Qt::Saturday).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(calendar->weekdayTextFormat(Qt::Sunday).foreground().color(), QColor(255, 0, 0));
}
