// Helpers for the data store tests: a data file in a temporary folder, actions made
// from a few fields, and raw SQL on a closed file.
#pragma once

#include "core/ActionRecord.h"
#include "store/DataFileTables.h"
#include "tests/support/TempDir.h"

#include <string>

ActionRecord MakeAction(const char* start, const char* end, const char* subject = "s");
// Runs SQL on a file that is not open through the store; returns the SQLite code.
int RawSql(const std::string& path, const std::string& sql);
// The first column of the first row of a query on a file, as UTF-8 ("<null>", "<none>").
std::string RawValue(const std::string& path, const std::string& sql);
std::string IntegrityOf(const std::string& path);
// A test with a freshly created data file, open for the whole test.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    DataFileTables& T() { return *OpenTables(); }
    TempDir dir;
    std::string file;
};
