// The trace buffer. The UI thread and the GPS worker both may trace; a trace is
// diagnostics only, so a torn read is acceptable, but the text object itself is
// guarded so that it never breaks.
#include "core/Trace.h"

#include "core/CLocale.h"
#include "core/Utf.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

std::mutex g_lock;
std::u16string g_buffer;

void Store(std::u16string text) {
    if (text.size() > kTraceCapacity) text.resize(kTraceCapacity);
    std::lock_guard<std::mutex> guard(g_lock);
    g_buffer = std::move(text);
}

} // namespace

void Trace(const char* format, ...) {
    ScopedCLocale cLocale;
    char small[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        Store(FromUtf8(std::string_view(small, static_cast<size_t>(n))));
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, copy);
        Store(FromUtf8(std::string_view(big.data(), static_cast<size_t>(n))));
    }
    va_end(copy);
}

void TraceText(std::u16string_view text) {
    Store(std::u16string(text));
}

const std::u16string& TraceBuffer() {
    return g_buffer;
}

void ClearTrace() {
    Store(std::u16string());
}
