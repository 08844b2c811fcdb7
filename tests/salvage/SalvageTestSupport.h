// Data files written by the diary's store for the salvage tests, the damage done to
// copies of them, and the files a salvage run leaves, read back.
#pragma once

#include <gtest/gtest.h>

#include "core/ActionRecord.h"
#include "salvage/SalvageRun.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <map>
#include <string>
#include <vector>

// The record the store holds for row i of a made file (identifier, period, texts;
// some rows with a position, a memo with line breaks or quotes, extended items).
ActionRecord MadeRecord(int i);

// Creates a data file through the store with rows made by MadeRecord(0 … rows-1).
void WriteDataFile(const std::string& path, int rows);
// The same, copied from the first file made with that many rows.
void MakeDataFile(const std::string& path, int rows);
// Runs one SQL text on a closed data file (changes made behind the store's back).
void RunSql(const std::string& path, const std::string& sql);
// One value of a query on a closed data file ("<none>" without a row).
std::string QueryValue(const std::string& path, const std::string& sql);

// Page size and count of a data file, and the t_UserData rows each of its pages holds.
struct PageMap {
    int pageSize = 0;
    int pages = 0;
    std::map<int, int> userDataCells; // leaf page → rows on it
    std::vector<int> userDataInterior;
};
PageMap MapPages(const std::string& path);
// Overwrites page n (from 1) with bytes from a fixed generator.
void GarblePage(const std::string& path, int pageSize, int n, unsigned seed);

class SalvageFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the salvage with the confirmation answered Yes.
    SalvageResult Salvage(const std::string& dataFile);
    // The lines of a CP932 file, as UTF-8, without line ends; the header is kept.
    static std::vector<std::string> Lines(const std::string& path);
    // Imports the export file into a new data file (replace mode) and returns the
    // import's result; rows is the number of actions then stored.
    int ImportExport(long long& rows);

    TempDir dir;
    TempDir programDir;
    std::string exportFile;
    std::string errorFile;
    ScriptedMessages messages;
};
