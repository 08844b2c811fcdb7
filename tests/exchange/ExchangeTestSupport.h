// A fresh data file with an action index for the import and export tests, and
// helpers to put actions in and read the files back.
#pragma once

#include <gtest/gtest.h>

#include "core/ActionRecord.h"
#include "exchange/ExchangeTarget.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <string>

class ExchangeFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    UserDataTable& Table() { return *OpenTables()->userData; }
    ExchangeTarget Target(std::u16string_view search = {}) { return ExchangeTarget{Table(), index, search}; }
    // Inserts an action and rebuilds the index; returns its identifier.
    std::u16string Add(const char* start, const char* end, const char* subject, const char* memo = nullptr);
    long long Rows();
    std::string Value(const std::string& sql);

    TempDir dir;
    std::string dataFile;
    ActionIndex index;
    ScriptedMessages messages;
};
