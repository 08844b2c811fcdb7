// Helpers for the recorder tests: an application object on a fresh data file in a
// temporary folder, a settable clock, a program restart (save, close, reopen) and raw
// reads of the file.
#pragma once

#include "app/MainApp.h"
#include "core/ActionRecord.h"
#include "recorder/RecorderChain.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class RecorderFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The fields with the clock as time and no position.
    static RecorderFields Fields(const char* time, const char* place, const char* category1 = "",
                                 const char* category2 = "");
    // The action as stored (fails the test when it is missing).
    ActionRecord Stored(const std::u16string& id);
    bool Exists(const std::u16string& id);
    // What the program does at exit and at the next start: the recorder state is saved,
    // the file closed, opened again and the index read.
    void RestartProgram();
    // A value read by SQL on the open file, as UTF-8 ("<none>" without a row).
    std::string Value(const std::string& sql);
    // The history rows 0 … n−1 (n = RcdrHistNum) as the next run reads them.
    std::vector<std::u16string> StoredHistory();
    std::vector<std::string> Lines(const RecorderChain& chain) const;

    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
};
