// Where salvaged rows go: the export file (Ver.3 lines) and the error file, which is
// created on the first error row. It also remembers what it has written, so that a
// row found again by a deeper pass is not written twice, and counts the rows.
#pragma once

#include "core/MessageBox.h"
#include "salvage/SalvageLines.h"
#include "salvage/UserDataReader.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

struct SalvageCounts {
    long long exported = 0; // lines in the export file after the header
    long long errors = 0;   // lines in the error file
    long long deeper = 0;   // rows (of either file) found only after the first pass
};

// Where a row came from: the documented pass, a deeper pass on the same table (its
// row number identifies it), or one whose row number means nothing (pages found
// outside the table).
enum class RowOrigin { FirstPass, SameTable, Loose };

class SalvageOutput {
public:
    SalvageOutput(WindowHandle owner, std::u16string exportPath, std::u16string errorPath);
    ~SalvageOutput();
    SalvageOutput(const SalvageOutput&) = delete;
    SalvageOutput& operator=(const SalvageOutput&) = delete;

    // Creates the export file (replacing one); false after its message.
    bool OpenExport();
    // Writes the header line; false after the write message.
    bool WriteHeader();
    // Writes the row to the file it belongs in, unless a deeper pass found a row
    // already written, and moves the progress on every thousand rows offered. False
    // after a write or open failure (message shown): the export ends there.
    bool Take(const SalvagedRow& row, RowOrigin origin);
    // Writes what is buffered and closes both files; false after the write message.
    bool Close();

    const SalvageCounts& counts() const { return counts_; }

private:
    struct File {
        std::FILE* file = nullptr;
        std::u16string pending;
    };
    bool AlreadyWritten(const SalvagedRow& row, RowOrigin origin);
    void MakeSets();
    bool OpenErrorFile();
    bool EndLine(File& file);
    bool Flush(File& file);
    bool CloseFile(File& file);
    bool WriteFailed(int code);

    WindowHandle owner_;
    std::u16string exportPath_;
    std::u16string errorPath_;
    File export_;
    File error_;
    IdentifierCounter counter_;
    SalvageCounts counts_;
    bool failed_ = false;
    long long offered_ = 0;
    long long nextStep_ = 0;
    // Rows of the first pass are only noted while their row numbers rise; the sets are
    // made when a deeper pass begins or the numbers stop rising.
    long long lastFirstRowid_ = std::numeric_limits<long long>::min();
    std::vector<long long> firstRowids_;
    std::vector<std::uint64_t> firstContents_;
    std::unordered_set<long long> rowids_;
    std::unordered_set<std::uint64_t> contents_;
    bool setsMade_ = false;
};

// A 64-bit digest of the twelve fields (absent and empty differ).
std::uint64_t RowContentDigest(const ActionRecord& record);
