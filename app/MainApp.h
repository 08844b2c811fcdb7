// The application object: one CMainApp for the whole run, reachable through App().
// It owns the settings and pick lists, the data file path, the action index, the
// recorder state and the run-time state the views share (current view, ShownDate,
// list page, selected action, active search). Start-up and shutdown steps that need
// no window live here; the entry point (app/AppMain) adds the windows.
#pragma once

#include "app/Settings.h"
#include "store/ActionIndex.h"
#include "store/RecorderState.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The date every view shows.
struct ShownDate {
    int year = 1900;
    int month = 1;
    int day = 1;
    bool operator==(const ShownDate&) const = default;
};

// Results of OpenDataFileAtStartup.
inline constexpr int kOpenedDataFile = 0;
inline constexpr int kCreatedDataFile = -1;  // a new file was made, or one in the program folder taken
inline constexpr int kUpgradedDataFile = -2; // format brought up to date, or the index read only in part
inline constexpr int kStartupEnds = -100;    // results below -99 end start-up

class CMainApp {
public:
    CMainApp();

    // Defaults, then the settings file (or the default lists when it is missing), then
    // the migrations; resets the action index and sets ShownDate to today. 0, or -1
    // after "設定ファイルが読込めません。…" (the program ends).
    int LoadSettings(int dpi);
    // 0 opened, -1 created or relocated, -2 upgraded or index incomplete, < -99 the
    // program ends (the user has been told where there is something to tell).
    int OpenDataFileAtStartup();
    // Writes the settings file, stops the position source, saves the recorder state and
    // closes the data file.
    void ShutdownApplication();

    // Puts ShownDate on today's date.
    void SetShownDateToday();

    AppSettings settings;
    std::u16string settingsPath;
    bool settingsFileWasMissing = false;

    ActionIndex actionIndex;
    RecorderState recorder;

    // Every half hour from "00:00" to "23:30", then "24:00": the time fields' picks.
    std::vector<std::u16string> timePickList;

    // Run-time state shared by the views and dialogs.
    int currentView = 1; // 1 day, 2 week, 3 month, 4 list, 5 map
    ShownDate shownDate;
    int listPage = 0;
    long long selectedPosition = 0;
    std::u16string selectedActionId;
    std::u16string searchCondition; // the active search's condition; empty when none
    std::u16string currentActionId; // remembered current action, cleared by a change of data file
    // Where a new action opened from the map view is (latitude, longitude in degrees):
    // the held marker or point, or the selected row's position; set by the map view for
    // that one opening of the edit dialog, absent otherwise.
    std::optional<std::pair<double, double>> newActionPosition;
    // The file names last used by the export and the import dialog in this run.
    std::u16string exportFileName;
    std::u16string importFileName;
};

// The one application object (nullptr outside a run).
CMainApp* App();
void SetApp(CMainApp* app);

// Builds the 49 texts of the time pick list.
std::vector<std::u16string> MakeTimePickList();
