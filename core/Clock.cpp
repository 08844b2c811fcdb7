// System clock with a replaceable source for tests.
#include "core/Clock.h"

#include <chrono>
#include <ctime>

namespace {

std::function<LocalDateTime()>& Source() {
    static std::function<LocalDateTime()> source;
    return source;
}

LocalDateTime SystemNow() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalDateTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    out.weekday = tm.tm_wday;
    out.millisecond = static_cast<int>(ms);
    return out;
}

} // namespace

LocalDateTime LocalNow() { return Source() ? Source()() : SystemNow(); }

void SetClockSource(std::function<LocalDateTime()> source) { Source() = std::move(source); }

void SetFixedClock(int year, int month, int day, int hour, int minute, int second) {
    LocalDateTime fixed{year, month, day, hour, minute, second, WeekdayOf(year, month, day), 0};
    Source() = [fixed] { return fixed; };
}

std::uint64_t TickCountMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int WeekdayOf(int year, int month, int day) {
    // Sakamoto's method on the proleptic Gregorian calendar.
    static const int offset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    int w = (year + year / 4 - year / 100 + year / 400 + offset[(month - 1) % 12] + day) % 7;
    return w < 0 ? w + 7 : w;
}
