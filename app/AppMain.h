// The diary's entry point and the start-up steps that need windows: the single
// instance, the Qt platform services, the main window and the first dialog chosen by
// StartupMode. main.cpp only calls RunTideLog.
#pragma once

#include <memory>

class CMainApp;
class CMainWnd;
class QApplication;

// Prepares a QApplication for the diary: the font substitution of "MS UI Gothic",
// the Qt message boxes, wait cursor, progress and command posting, and the dialog
// entries of the main window (InstallDialogHooks).
void PrepareQtApplication();

// Installs the main window's entries of the dialogs built into the diary.
void InstallDialogHooks();

// Loads the settings, opens the data file and creates and shows the main window.
// nullptr when start-up must end (the user has been told where there is something to tell).
std::unique_ptr<CMainWnd> InitApplication(CMainApp& app);

// The first dialog by StartupMode: 1 the recorder, 2 the edit dialog for a new action.
// Returns the mode acted on (0 when nothing was shown first).
int RunStartupDialog(CMainApp& app, CMainWnd& window);

// The whole run: returns the program's exit code.
int RunTideLog(int argc, char** argv);
