// The program's pseudo-random generator, with the C runtime's range 0 … 32767 and its
// recurrence, so identifiers and the memo language's Rand() behave as on the handheld.
#pragma once

inline constexpr int kRandomMax = 32767;

void SeedRandom(unsigned seed);
// Seeds from the monotonic tick count in milliseconds (done once at start-up).
void SeedRandomFromTicks();
// The next value, 0 … 32767.
int NextRandom();
