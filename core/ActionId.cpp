// Making and checking action identifiers.
#include "core/ActionId.h"

#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"

#include <new>

namespace {

bool InDigits(int value, int limit) {
    return value >= 0 && value < limit;
}

char16_t* PutDigits(char16_t* at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        at[i] = static_cast<char16_t>(u'0' + value % 10);
    return at + digits;
}

} // namespace

// Written digit by digit: an add-mode import makes one or more a row, and formatting
// through the C library took a tenth of its time. Values that do not fit their
// digits go through the C library, which widens them as it always did.
std::u16string FormatActionId(int year, int month, int day, int hour, int minute, int second, int number) {
    if (!InDigits(year, 10000) || !InDigits(month, 100) || !InDigits(day, 100) || !InDigits(hour, 100) ||
        !InDigits(minute, 100) || !InDigits(second, 100) || !InDigits(number, 100))
        return FormatText("ID%04d%02d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second, number);
    std::u16string id(kActionIdLength, u'0');
    char16_t* at = id.data();
    *at++ = u'I';
    *at++ = u'D';
    at = PutDigits(at, year, 4);
    at = PutDigits(at, month, 2);
    at = PutDigits(at, day, 2);
    at = PutDigits(at, hour, 2);
    at = PutDigits(at, minute, 2);
    at = PutDigits(at, second, 2);
    PutDigits(at, number, 2);
    return id;
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
