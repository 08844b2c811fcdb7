// The action edit dialog: the one window on which a single action is created, changed,
// copied, continued or deleted. It shows an EditActionForm (the rules and data access)
// and passes every button, menu item, toolbar button and soft key through OnCommand.
// Opened modally by the main window, the recorder and start-up via RunEditActionDlg.
#pragma once

#include "edit/EditActionForm.h"

#include <QDialog>

#include <functional>
#include <memory>

class QAction;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

// Command and control ids of the dialog.
namespace EditCmd {
enum : int {
    Ok = 1,
    Close = 2,
    Title = 1100,
    Save = 1102,
    ExitButton = 1103,
    StartLabel = 1104,
    StartDate = 1105,
    StartTime = 1106,
    StartNow = 1107,
    EndLabel = 1108,
    EndDate = 1109,
    EndTime = 1110,
    EndNow = 1111,
    PlaceLabel = 1112,
    Place = 1113,
    Cate1Label = 1114,
    Cate1 = 1115,
    Cate2Label = 1116,
    Cate2 = 1117,
    MemoLabel = 1118,
    Memo = 1119,
    MemoSwitch = 1120,
    Prev = 1121,
    Next = 1122,
    MemoBox = 1123,
    FloatingList = 1124,
    Calendar = 1126,
    LatLabel = 1127,
    Latitude = 1128,
    LonLabel = 1129,
    Longitude = 1130,
    ToolNew = 5006,
    ToolDelete = 5007,
    ToolFollow = 5008,
    ToolCopy = 5009,
    ToolContinuous = 5010,
    ToolStartup = 5011,
    MenuNew = 32781,
    MenuCopy = 32783,
    MenuFollow = 32784,
    MenuDelete = 32785,
    MenuExtItems = 32805,
    MenuClose = 32900,
    MenuContinuous = 32954,
    MenuStartup = 32955,
    Acquire = 33100,
    ShowPosition = 33101,
    ClearPosition = 33102,
    PositionDone = 33103,
    WebMap = 33104,
    SoftSave = 40002,
    SoftMenu = 40003,
    Exit = 40102,
};
}

// The floating editor that is open over a field.
enum class InPlaceEditor {
    None,
    StartDate,
    StartTime,
    EndDate,
    EndTime,
    Place,
    Category1,
    Category2,
    MemoList,
    MemoBox
};

// The extended items editor as the dialog calls it: the current text in, 1 with the new
// text (absent = no items) or 2 for cancel.
using ExtItemsEditorFn = std::function<int(QWidget* parent, const OptText& text, OptText& result)>;
// The editor the "拡張項目編集..." command opens: the extended items editor unless
// replaced (nothing is done while it is empty).
ExtItemsEditorFn& ExtItemsEditorHook();

class CEditActionDlg : public QDialog {
    Q_OBJECT
public:
    CEditActionDlg(CMainApp& app, UserDataTable* table, QWidget* parent = nullptr);
    ~CEditActionDlg() override;

    // Fills the dialog for an EditDlgMode from the application's selected position.
    void OnInitDialog(int mode);
    Q_INVOKABLE void OnCommand(int id);

    EditActionForm& form() { return *form_; }
    InPlaceEditor openEditor() const { return editor_; }
    QComboBox* floatingList() const { return list_; }
    QPlainTextEdit* memoBox() const { return memoBox_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QMenu* menu() const { return menu_; }
    QToolBar* toolBar() const { return toolBar_; }
    // Closes the open floating editor, taking its value. Always true (a bad time is
    // refused with its message and the old value kept).
    bool CommitInPlaceEditor();
    // Shows the form's fields in the controls.
    void Refresh();
    // Escape and the window's close button are the close command.
    void reject() override { OnCommand(EditCmd::Close); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateToolBar();
    void CreateMenu();
    QLabel* AddValue(int id);
    void OpenCalendar(InPlaceEditor which);
    void OpenTimeEditor(InPlaceEditor which);
    void OpenPickEditor(InPlaceEditor which);
    void OpenMemoEditor(bool box);
    void OnMemoSwitch();
    void OnListActivated(int index);
    void OnCalendarPicked();
    void PlaceOver(QWidget* editor, QWidget* field, int height);
    void HideEditors();
    bool Unsaved(bool shortQuestions = false);
    void OnSave();
    void OnCloseCommand(int id);
    void OnOkCommand();
    void OnExit();
    void OnDelete();
    void OnExtItems();
    void OnWebMap();
    void ToggleContinuous();
    void ToggleStartup();

    CMainApp& app_;
    std::unique_ptr<EditActionForm> form_;
    InPlaceEditor editor_ = InPlaceEditor::None;
    // The field whose editor is open; it takes the focus back when the editor closes.
    QWidget* editorField_ = nullptr;
    bool memoPrefersBox_ = true;

    QLabel* title_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* labels_[8] = {};
    QLabel* startDate_ = nullptr;
    QLabel* startTime_ = nullptr;
    QLabel* endDate_ = nullptr;
    QLabel* endTime_ = nullptr;
    QLabel* latitude_ = nullptr;
    QLabel* longitude_ = nullptr;
    QLabel* place_ = nullptr;
    QLabel* category1_ = nullptr;
    QLabel* category2_ = nullptr;
    QLabel* memo_ = nullptr;
    QPushButton* startNow_ = nullptr;
    QPushButton* endNow_ = nullptr;
    QPushButton* memoSwitch_ = nullptr;
    QPushButton* prev_ = nullptr;
    QPushButton* next_ = nullptr;
    QPlainTextEdit* memoBox_ = nullptr;
    QComboBox* list_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QAction* tools_[6] = {};
    QMenu* menu_ = nullptr;
    QAction* menuContinuous_ = nullptr;
    QAction* menuStartup_ = nullptr;
    QPushButton* softSave_ = nullptr;
    QPushButton* softMenu_ = nullptr;
};

// Runs the dialog modally over parent in an EditDlgMode on the application object's
// selected position; 1 after a save, a delete or an exit, the command id (2 or 32900)
// after a close, 0 when no data file is open.
int RunEditActionDlg(QWidget* parent, int mode);
