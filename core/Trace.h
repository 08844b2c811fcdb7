// The program-wide trace buffer: one diagnostic text of at most 1000 UTF-16
// characters. Each trace overwrites it. Parsers and the evaluator write their
// entry and failure steps; a view whose database read fails shows the buffer.
// The buffer is the UI thread's (the thread that started the program); traces of any
// other thread (the GPS worker) go to that thread's own buffer, which TraceBuffer()
// answers there.
#pragma once

#include <string>

inline constexpr size_t kTraceCapacity = 1000;

// Formats into the buffer (printf-style, UTF-8 format), cut to 1000 characters.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Stores a UTF-16 text as the trace, cut to 1000 characters.
void TraceText(std::u16string_view text);
const std::u16string& TraceBuffer();
void ClearTrace();
