// The edit dialog tests' fixture: a data file in a temporary program folder, the
// application object on a fixed clock, the scripted message recorder, and a dialog
// opened the way the main window opens it.
#pragma once

#include "app/MainApp.h"
#include "edit/EditActionDlg.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

struct TestAction {
    const char* start;
    const char* end;
    const char* memo = nullptr;
    const char* place = nullptr;
};

class EditDlgFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Inserts the actions and rebuilds the action index.
    void Insert(std::initializer_list<TestAction> actions);
    // A dialog in the EditDlgMode on the index position (ignored for new).
    CEditActionDlg& Open(int mode, long long position = 0);
    // The action stored at the index position.
    ActionRecord Stored(long long position);
    // The text of the control with the id.
    std::string Text(int id) const;

    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
    std::unique_ptr<CEditActionDlg> dialog;
};

std::string U8(const OptText& text);
