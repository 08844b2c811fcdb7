// Making and checking action identifiers.
#include "core/ActionId.h"

#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"

#include <new>

std::u16string FormatActionId(int year, int month, int day, int hour, int minute, int second, int number) {
    return FormatText("ID%04d%02d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second, number);
}

std::optional<std::u16string> MakeActionId() {
    try {
        LocalDateTime now = LocalNow();
        // Dividing by the generator's range plus one keeps 32767 at 99, never 100.
        int number = NextRandom() * 100 / (kRandomMax + 1);
        return FormatActionId(now.year, now.month, now.day, now.hour, now.minute, now.second, number);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

int CheckActionId(std::u16string_view text) {
    if (text.size() != kActionIdLength) return -1;
    if (text.substr(0, 2) != u"ID") return -2;
    return 0;
}
