// CFindDlg: the find dialog. The user sets a period, a search text and the items to
// search in; running it narrows the action index (and so every view) to the matching
// actions through the condition builder. Dates, times and item flags live for the
// program run (FindDialogState); the search texts are the [Find] history.
#pragma once

#include "find/SearchCondition.h"

#include <QDialog>

#include <array>

class CMainWnd;
class CMainApp;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;

// What the dialog keeps between runs: its dates, times and field flags (the text
// field of the values is not used; the history holds the texts).
SearchValues& FindDialogState();

class CFindDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdRun = 1;
    static constexpr int kIdClose = 2;
    static constexpr int kIdTitle = 1250;
    static constexpr int kIdTextLabel = 1253;
    static constexpr int kIdTextCombo = 1254;
    static constexpr int kIdGroup = 1255;
    static constexpr int kIdPlace = 1256; // 1256 … 1259: place, category 1, category 2, memo
    static constexpr int kIdStartLabel = 1260;
    static constexpr int kIdStartDate = 1261;
    static constexpr int kIdStartTime = 1262;
    static constexpr int kIdStartToday = 1263;
    static constexpr int kIdEndLabel = 1264;
    static constexpr int kIdEndDate = 1265;
    static constexpr int kIdEndTime = 1266;
    static constexpr int kIdEndToday = 1267;
    static constexpr int kIdListAfter = 1268;
    static constexpr int kIdClear = 1269;
    static constexpr int kIdTimeEditor = 1270;
    static constexpr int kIdCalendar = 1271;
    static constexpr int kIdTextStatic = 1272;
    static constexpr int kIdSoftMenu = 40003;

    CFindDlg(CMainApp& app, QWidget* parent = nullptr);

    // Every control, soft key and menu item goes through here.
    Q_INVOKABLE void OnCommand(int id);

    QComboBox* timeEditor() const { return timeEditor_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QMenu* menu() const { return menu_; }
    // The field the time editor or the calendar is open over (0 when none).
    int editedField() const { return editedField_; }

    // Closing the window or Escape is "閉じる".
    void reject() override;

private:
    void CreateControls();
    void LayOut();
    void OnInitDialog();
    void ShowState();
    void OnTimeField(int id);
    void OnTimeFieldBySelection(int id);
    void OnDateField(int id);
    void OnDateChosen();
    // Checks and takes the time editor's text; -1 (editor stays open) when it is no time.
    int CommitTimeEditor();
    void PlaceCalendar(QLabel* field);
    void SetTimeField(int id, const std::u16string& text);
    void OnTextBySelection();
    void OnClear();
    // Reads the controls into the state, the history and DispListAfterFind.
    void SaveState();
    void OnBtnRun();
    void OnBtnClose();
    std::u16string SearchText() const;
    QLabel* FieldOf(int id) const;

    CMainApp& app_;
    QLabel* title_ = nullptr;
    QComboBox* textCombo_ = nullptr;
    QLabel* textStatic_ = nullptr;
    std::array<QCheckBox*, 4> fields_{};
    QLabel* startLabel_ = nullptr;
    QLabel* endLabel_ = nullptr;
    QLabel* startDate_ = nullptr;
    QLabel* startTime_ = nullptr;
    QLabel* endDate_ = nullptr;
    QLabel* endTime_ = nullptr;
    QPushButton* startToday_ = nullptr;
    QPushButton* endToday_ = nullptr;
    QCheckBox* listAfter_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* close_ = nullptr;
    QComboBox* timeEditor_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softRun_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QMenu* menu_ = nullptr;
    int editedField_ = 0;
};

// Runs the find dialog over the main window; 1 when a search was run, 0 when closed.
int RunFindDlg(CMainWnd& window);
