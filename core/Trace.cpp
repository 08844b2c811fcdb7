// The trace buffer: the program-wide one of the UI thread, and one per other thread.
#include "core/Trace.h"

#include "core/CLocale.h"
#include "core/Utf.h"

#include <cstdarg>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// The program-wide buffer belongs to the thread that started the program (the UI
// thread); every other thread (the GPS worker) traces into a buffer of its own, so a
// view showing the shared buffer never meets a write from another thread.
// The main thread is the one whose thread id is the process id.
std::u16string g_buffer;
thread_local std::u16string t_workerBuffer;
thread_local const bool t_isMainThread = gettid() == getpid();

std::u16string& BufferOfThisThread() {
    return t_isMainThread ? g_buffer : t_workerBuffer;
}

void Store(std::u16string text) {
    if (text.size() > kTraceCapacity) text.resize(kTraceCapacity);
    BufferOfThisThread() = std::move(text);
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
    return BufferOfThisThread();
}

void ClearTrace() {
    Store(std::u16string());
}
