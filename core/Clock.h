// The program's clock: local date and time, and a monotonic tick count. Every part
// that needs "now" asks here, so tests can set the time.
#pragma once

#include <cstdint>
#include <functional>

struct LocalDateTime {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 Sunday … 6 Saturday
    int millisecond = 0;
};

LocalDateTime LocalNow();

// Replaces the clock (tests). An empty function restores the system clock.
void SetClockSource(std::function<LocalDateTime()> source);
// Fixes the clock at one moment (tests); the weekday is computed from the date.
void SetFixedClock(int year, int month, int day, int hour, int minute, int second);

// Milliseconds from an arbitrary start, never going back.
std::uint64_t TickCountMs();

// Day of the week of a Gregorian date, 0 Sunday … 6 Saturday.
int WeekdayOf(int year, int month, int day);
