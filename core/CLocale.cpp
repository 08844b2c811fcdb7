// The C locale object behind locale-independent number reading and formatting.
#include "core/CLocale.h"

#include <cstdlib>

locale_t CLocaleHandle() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

double StrToDoubleC(const char* text, char** end) {
    return strtod_l(text, end, CLocaleHandle());
}
