// Runs a test under de_DE.UTF-8, a locale that writes a comma as decimal point, as a
// desktop session's QApplication would set it; the C locale comes back afterwards.
#pragma once

#include <clocale>
#include <string>

class ScopedCommaLocale {
public:
    ScopedCommaLocale() { active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr; }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, "C"); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;
    // False when the locale is not installed (scripts/install-deps generates it);
    // tests assert on it so that they never pass without the comma in force.
    bool active() const { return active_ && std::string(std::localeconv()->decimal_point) == ","; }

private:
    bool active_ = false;
};
