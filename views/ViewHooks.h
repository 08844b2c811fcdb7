// The dialogs the main window opens but does not own: the action edit dialog, the
// recorder, find, import/export, options and the web map. Each of those subsystems
// installs its entry here when it is built into the program; a command whose entry is
// not installed does nothing.
#pragma once

#include <functional>

class CMainWnd;

struct MainWndHooks {
    // Runs the edit dialog modally in the given EditDlgMode; returns its result.
    std::function<int(CMainWnd& window, int mode)> runEditDialog;
    std::function<int(CMainWnd& window)> runRecorder;
    // Runs the find dialog; returns 1 when a search was set or cleared.
    std::function<int(CMainWnd& window)> runFind;
    // Import (true) or export (false).
    std::function<int(CMainWnd& window, bool import)> runExchange;
    std::function<int(CMainWnd& window)> runOptions;
    // The web map for the selected action, and the map view's move to it.
    std::function<void(CMainWnd& window)> openWebMap;
    std::function<void(CMainWnd& window)> moveMap;
};

MainWndHooks& ViewHooks();
