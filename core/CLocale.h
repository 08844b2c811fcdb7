// Numbers in the C locale whatever the desktop's locale: the program's files, its data
// file and its memo language always write and read a point as decimal separator.
#pragma once

#include <locale.h>

// The C locale object, made once.
locale_t CLocaleHandle();

// Makes the calling thread use the C locale for as long as it lives.
class ScopedCLocale {
public:
    ScopedCLocale() : previous_(uselocale(CLocaleHandle())) {}
    ~ScopedCLocale() { uselocale(previous_); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t previous_;
};

// strtod in the C locale.
double StrToDoubleC(const char* text, char** end = nullptr);
