// The first half of an import: every data line of the file is read, converted and
// checked into the pending rows before anything is written. A large file is read on
// two threads, each taking one half of it from a line boundary; the outcome is the
// same as reading it from the start to the end in one go (the first failing line
// counted from the file's start, nothing after the first empty line).
#pragma once

#include "exchange/ExchangeFormat.h"
#include "exchange/PendingRows.h"

#include <cstdio>
#include <string>

struct ReadOutcome {
    int result = 0;           // ImportResult: Done, LineRefused, ReadFailed or OutOfMemory
    long long failedLine = 0; // LineRefused: the data line's number, from 1
    LineCheck check;          // LineRefused: why
};

// Reads the open file (positioned at its start) into rows. path opens the second
// half's own stream. Progress steps (lines read so far) are told on the calling
// thread only. Nothing is shown; the caller tells a refused line.
ReadOutcome ReadImportLines(std::FILE* file, const std::string& path, ExchangeLayout layout, PendingRows& rows);

// Files smaller than this are read on one thread.
inline constexpr long long kTwoThreadBytes = 1 << 20;
