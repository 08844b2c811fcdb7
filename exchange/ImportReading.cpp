// Reading and checking an import file, on two threads for a large one. The split
// lies right after a line end (LF, CR LF or a lone CR; CP932 never uses those bytes
// inside a character), so each half holds whole lines. The halves are joined in
// order: a fault in the first half wins, an empty line in the first half drops the
// second, and a fault in the second half is counted from the file's start.
#include "exchange/ImportReading.h"

#include "core/Progress.h"
#include "core/TextLines.h"
#include "exchange/ImportActions.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr long long kProgressRows = 1000;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// One half of the file and what reading it gave.
struct Span {
    std::FILE* file = nullptr;
    long long stopAt = -1; // the offset where the next half begins; -1 reads to the end
    PendingRows rows;
    ReadOutcome outcome;
    long long lines = 0;     // data lines read and checked
    bool endedEarly = false; // an empty line ended the file inside this half
    std::atomic<long long> linesSoFar{0};
    std::atomic<bool> done{false};
    const Span* partner = nullptr; // the other half, whose lines the progress adds
};

void ReadSpanLines(Span& span, ExchangeLayout layout, ProgressSink* progress, const std::atomic<bool>& stop) {
    std::u16string line;
    size_t bytes = 0;
    ActionRecord record;
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) return;
        if (span.stopAt >= 0 && ftello(span.file) >= span.stopAt) return;
        int read = ReadTextLine(span.file, line, bytes);
        if (read != 0 && read != -1) {
            span.outcome.result = ImportResult::ReadFailed;
            return;
        }
        if (bytes == 0) { // the first empty line ends the file
            span.endedEarly = read == 0 || span.stopAt >= 0;
            return;
        }
        ++span.lines;
        LineCheck check = ParseExchangeLine(layout, line, record);
        if (!check) {
            span.outcome = {ImportResult::LineRefused, span.lines, check};
            return;
        }
        span.rows.Append(record);
        if (span.lines % kProgressRows == 0) {
            span.linesSoFar.store(span.lines, std::memory_order_relaxed);
            long long others = span.partner ? span.partner->linesSoFar.load(std::memory_order_relaxed) : 0;
            if (progress) progress->Step(span.lines + others);
        }
        if (read == -1) return;
    }
}

void ReadSpan(Span& span, ExchangeLayout layout, ProgressSink* progress, const std::atomic<bool>& stop) {
    try {
        ReadSpanLines(span, layout, progress, stop);
    } catch (const std::bad_alloc&) {
        span.outcome.result = ImportResult::OutOfMemory;
    }
    span.done.store(true);
}

// The offset just after the first line end at or after from, or -1 when there is none.
long long LineStartAfter(std::FILE* file, long long from) {
    if (fseeko(file, from, SEEK_SET) != 0) return -1;
    for (int c; (c = std::getc(file)) != EOF;) {
        if (c == '\n') return ftello(file);
        if (c == '\r') {
            int next = std::getc(file);
            if (next == EOF) return -1;
            if (next != '\n') std::ungetc(next, file);
            return ftello(file);
        }
    }
    return -1;
}

// The stream of the second half, positioned at its first line; nothing when the file
// is small, has no line end after its middle, or cannot be opened again.
std::unique_ptr<std::FILE, FileCloser> SecondHalf(std::FILE* file, const std::string& path, long long& split) {
    if (std::thread::hardware_concurrency() < 2 || fseeko(file, 0, SEEK_END) != 0) return nullptr;
    long long size = ftello(file);
    if (size < kTwoThreadBytes) return nullptr;
    std::unique_ptr<std::FILE, FileCloser> second(std::fopen(path.c_str(), "rb"));
    if (!second) return nullptr;
    split = LineStartAfter(second.get(), size / 2);
    if (split < 0 || split >= size || fseeko(second.get(), split, SEEK_SET) != 0) return nullptr;
    std::setvbuf(second.get(), nullptr, _IOFBF, 1 << 16);
    return second;
}

// Joins the halves' outcomes into first; the rows of second follow those of first.
ReadOutcome Join(Span& first, Span& second, PendingRows& rows) {
    if (first.outcome.result != ImportResult::Done) return first.outcome;
    rows.Take(first.rows);
    if (first.endedEarly) return first.outcome;
    ReadOutcome outcome = second.outcome;
    if (outcome.result == ImportResult::LineRefused) outcome.failedLine += first.lines;
    if (outcome.result == ImportResult::Done) rows.Take(second.rows);
    return outcome;
}

} // namespace

ReadOutcome ReadImportLines(std::FILE* file, const std::string& path, ExchangeLayout layout, PendingRows& rows) {
    ReadOutcome outcome;
    std::u16string header;
    size_t bytes = 0;
    long long split = -1;
    auto second = SecondHalf(file, path, split);
    if (fseeko(file, 0, SEEK_SET) != 0) return {ImportResult::ReadFailed, 0, {}};
    if (layout == ExchangeLayout::Ver3) { // the header line names the columns; it is not data
        int read = ReadTextLine(file, header, bytes);
        if (read == -1) return outcome;
        if (read != 0) return {ImportResult::ReadFailed, 0, {}};
    }
    // A header line reaching past the middle leaves the whole file to one thread.
    if (second && ftello(file) > split) second.reset();
    ProgressSink& progress = CurrentProgress();
    std::atomic<bool> stop{false};
    Span head, tail;
    head.file = file;
    std::thread worker;
    if (second) {
        head.stopAt = split;
        head.partner = &tail;
        tail.file = second.get();
        try {
            worker = std::thread([&] { ReadSpan(tail, layout, nullptr, stop); });
        } catch (const std::system_error&) {
            head.stopAt = -1; // no second thread: one reads it all
            head.partner = nullptr;
        }
    }
    if (!worker.joinable()) {
        ReadSpan(head, layout, &progress, stop);
        rows.Take(head.rows);
        return head.outcome;
    }
    ReadSpan(head, layout, &progress, stop);
    if (head.outcome.result != ImportResult::Done || head.endedEarly) stop.store(true);
    // The second half's lines count on while the first half waits for it.
    while (!tail.done.load()) {
        progress.Step(head.lines + tail.linesSoFar.load(std::memory_order_relaxed));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();
    return Join(head, tail, rows);
}
