// The recorder's window: the six fields, the history list, the buttons, the soft keys
// and the menu. Every command goes through OnCommand; the chain itself is the
// RecorderChain's, the window only shows it.
#pragma once

#include "recorder/RecorderChain.h"

#include <QDialog>

#include <functional>

class CMainApp;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QAction;

// What the recorder opens but does not own; installed at start-up, replaced by tests.
struct RecorderDlgHooks {
    // The action edit dialog in an EditDlgMode on the main window's current action.
    std::function<int(QWidget* parent, int mode)> runEditDialog;
    // The web map of a position; 0, or negative when nothing was opened.
    std::function<int(QWidget* owner, double latitude, double longitude)> openWebMap;
};
RecorderDlgHooks& RecorderHooks();

namespace RecorderCmd {
enum : int {
    Title = 1150,
    Quit = 1151,      // "終了"
    Close = 1152,     // "閉じる"
    TimeLabel = 1153, // "時刻:"
    TimeField = 1154, // "<現在時刻>"
    Now = 1155,       // "・"
    LatLabel = 1156,
    LatField = 1157,
    LonLabel = 1158,
    LonField = 1159,
    PlaceLabel = 1160,
    PlaceField = 1161,
    Cate1Label = 1162,
    Cate1Field = 1163,
    Cate2Label = 1164,
    Cate2Field = 1165,
    History = 1166,
    Clear = 1167,       // "クリア"
    Delete = 1168,      // "削除"
    Back = 1169,        // "<="
    Record = 1170,      // "●"
    StopRestart = 1171, // "■" / "◆"
    TimeEditor = 1172,
    ValueEditor = 1173,

    SoftKeyRecord = 40011, // left soft key "記録"
    SoftKeyMenu = 40012,   // right soft key "メニュー"
    MenuRecord = 32901,
    MenuStopRestart = 32902,
    MenuBack = 32903,
    MenuClear = 32904,
    MenuChange = 32905,
    MenuDelete = 32906,
    MenuOpenAtStartup = 32907,
    MenuClose = 32908,
    MenuQuit = 32909,
    PositionAcquire = 33100,
    PositionShow = 33101,
    PositionClear = 33102,
    PositionFix = 33103, // posted by the position source
    WebMap = 33104,
};
}

// The dialog's results: closed, or quit (the program ends).
inline constexpr int kRecorderClosed = 1;
inline constexpr int kRecorderQuit = 2;

class CRecorderDlg : public QDialog {
    Q_OBJECT
public:
    CRecorderDlg(CMainApp& app, QWidget* parent = nullptr);
    ~CRecorderDlg() override;

    Q_INVOKABLE void OnCommand(int id);

    const RecorderChain& chain() const { return chain_; }
    QListWidget* historyList() const { return list_; }
    QComboBox* timeEditor() const { return timeEditor_; }
    QComboBox* valueEditor() const { return valueEditor_; }
    QMenu* menu() const { return menu_; }
    // The control or menu item with the id (object name "id<n>").
    QWidget* Control(int id) const;
    QAction* MenuItem(int id) const;
    // Opens the line's action in the edit dialog (a tap on a history line).
    void OpenLine(int row);

    void reject() override { OnCommand(RecorderCmd::Close); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void Layout();
    void OnInitDialog();
    QLabel* FieldLabel(int id) const;
    RecorderFields ReadFields() const;
    void ResetTimeAndPosition();
    // Writes the chain's lines into the list, selects the last one and scrolls it to
    // the top, and sets back and stop/restart by the chain's state.
    void ShowChain();
    void OnFieldTapped(int id);
    void OpenEditor(int target);
    // Commits an open in-place editor; false when its text is refused.
    bool CommitEditor();
    std::vector<int> SelectedRows() const;
    void OnHistoryClicked(int row);
    void OnHistoryMenu(const QPoint& at);
    void OnPositionAcquire();
    void OnPositionFix();
    void OnPositionShow();
    void OnWebMap();
    void ToggleOpenAtStartup();
    void StoreState();
    void EndWith(int result);

    CMainApp& app_;
    RecorderChain chain_;
    QMenu* menu_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* timeEditor_ = nullptr;
    QComboBox* valueEditor_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    int editTarget_ = 0; // 0 none, 2 time, 5 place, 6 category 1, 7 category 2
    bool positionAcquired_ = false;
    bool acquiring_ = false;
    double gpsLatitude_ = 0.0;
    double gpsLongitude_ = 0.0;
    QString savedLatitude_;
    QString savedLongitude_;
    int lastOtherStartup_ = 0;
    bool ended_ = false;
};

// Runs the recorder modally over the main window; on quit it also asks the main window
// to close. Returns kRecorderClosed or kRecorderQuit.
int RunRecorderDlg(CMainApp& app, QWidget* mainWindow);
