// seed × 214013 + 2531011, bits 16–30 of the new seed.
#include "core/Random.h"

#include "core/Clock.h"

#include <atomic>
#include <cstdint>

namespace {
std::atomic<std::uint32_t> g_seed{1};
}

void SeedRandom(unsigned seed) { g_seed.store(seed); }

void SeedRandomFromTicks() { SeedRandom(static_cast<unsigned>(TickCountMs())); }

int NextRandom() {
    std::uint32_t old = g_seed.load();
    std::uint32_t next;
    do {
        next = old * 214013u + 2531011u;
    } while (!g_seed.compare_exchange_weak(old, next));
    return static_cast<int>((next >> 16) & 0x7FFF);
}
