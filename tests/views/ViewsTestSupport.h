// Helpers for the main window tests: a QApplication for the whole program, and a
// data file in a temporary program folder with actions inserted through the table
// access layer.
#pragma once

#include "app/MainApp.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

class CMainWnd;

struct TestAction {
    const char* start;
    const char* end;
    const char* place = "";
    const char* category1 = "";
    const char* memo = "";
    const char* subject = "";
};

class MainWndFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Inserts the actions and rebuilds the action index.
    void Insert(std::initializer_list<TestAction> actions) { Insert(std::vector<TestAction>(actions)); }
    void Insert(const std::vector<TestAction>& actions);
    // The window on ShownDate in the given view and day mode, shown at 360×480.
    CMainWnd& Window(int view = 1, int dayMode = 1);
    // The texts of column c, row by row.
    std::vector<std::string> Column(int c) const;

    TempDir dir;
    ScriptedMessages messages;
    CMainApp app;
    std::unique_ptr<CMainWnd> window;
};
