// Command identifiers of the main window: its controls, the soft keys, the menu and
// the accelerators. Every one reaches CMainWnd::OnCommand.
#pragma once

namespace Cmd {
enum : int {
    Ok = 1, // title-bar OK button

    DateLabel = 1050,
    WeekdaySun = 1051, // 1051 … 1057: Sunday … Saturday
    WeekdaySat = 1057,
    Today = 1058,    // "・"
    NextDay = 1059,  // ">"
    NextWeek = 1060, // "》"
    PrevDay = 1061,  // "<"
    PrevWeek = 1062, // "《"
    PageSelector = 1070,
    ListControl = 1071,
    MonthList = 1072,
    MonthCalendar = 1125,

    SoftKeyNew = 40001, // left soft key "新規作成"
    SoftKeyMenu = 40003,

    FileExport = 32801,
    FileImport = 32802,
    EditNew = 32811,
    EditChange = 32812,
    EditCopy = 32813,   // 参照
    EditFollow = 32814, // 後続
    EditWebMap = 32815, // 地図表示
    EditMoveMap = 32816,
    EditDelete = 32817,
    ViewDay = 32821,
    ViewWeek = 32822,
    ViewMonth = 32823,
    ViewList = 32824,
    ViewMap = 32825,
    ViewToday = 32826,
    ViewMultiDay = 32827, // 日またがり
    ViewToolBar = 32828,
    ToolRecorder = 32831,
    ToolFind = 32832,
    ToolClearFind = 32833,
    ToolOption = 32834,
    ToolAbout = 32835,
    Exit = 32840,
};
}

// Edit dialog modes.
namespace EditDlgMode {
enum : int { New = 1, Change = 2, Copy = 4, Follow = 5, NewAtStartup = 6 };
}

// The main window's popups.
namespace Popup {
enum : int { None = 0, PageSelector = 10, Calendar = 11 };
}
