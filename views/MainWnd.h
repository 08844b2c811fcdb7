// CMainWnd: the diary's one top-level window. It owns the shared controls the five
// views draw into (date strip, report list, month list box, calendar and page
// selector popups, month headers), the soft-key bar with its menu, the toolbar, and
// OnCommand, through which every button, menu item, soft key and accelerator goes.
// The day view's fill lives in views/DayView.cpp.
#pragma once

#include "app/MainApp.h"
#include "views/DayViewData.h"
#include "views/TapAndHold.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QCalendarWidget;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QToolBar;
class QTreeWidget;
class QKeyEvent;
class CWeekdayButton;
class CListView;
class CMapView;
class CMonthView;
class CWeekView;

// Height of the soft-key bar, (dpi × 26 + 48) / 96; dialogs subtract it.
int MenuBarHeight();

class CMainWnd : public QWidget {
    Q_OBJECT
public:
    explicit CMainWnd(CMainApp& app, QWidget* parent = nullptr);
    ~CMainWnd() override;

    // Selects the first view (InitView) and the day view's mode, then fills the view.
    void Start(int initView, int dayMultiMode);

    Q_INVOKABLE void OnCommand(int id);

    // Fills the current view for ShownDate and focuses the list control.
    void RefillView();
    // Stores the view number, arranges the controls for it and fills it.
    void SelectView(int view);

    int popupState() const { return popupState_; }
    bool tapAndHold() const { return tapAndHold_; }
    int currentView() const { return app_.currentView; }
    CMainApp& app() { return app_; }
    QTreeWidget* listControl() const { return list_; }
    QMenu* menu() const { return menu_; }
    QToolBar* toolBar() const { return toolBar_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QComboBox* pageSelector() const { return pageSelector_; }
    const DayViewData& dayViewData() const { return dayData_; }
    // The list view's page size: SeqViewRng, or the rows that fit when it is 0.
    int ListPageSize() const;
    // The first and last ActionIndex positions shown by the day view.
    long long dayFirstPosition() const { return dayData_.first; }
    long long dayLastPosition() const { return dayData_.last; }

    // Builds and runs the about box modally.
    void ShowAboutBox();
    // Shows the title-bar OK button when OkBtnVwMode is 2 (after the options) and lays out.
    void ApplyOkButtonMode();

    // The week, month and list views (each in its own files).
    CWeekView& weekView() const { return *weekView_; }
    CMonthView& monthView() const { return *monthView_; }
    CListView& listView() const { return *listView_; }
    CMapView& mapView() const { return *mapView_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class CWeekView;
    friend class CMonthView;
    friend class CListView;
    friend class CMapView;

    void CreateControls();
    void CreateCalendarHeading();
    void CreateSoftKeys();
    void CreateMenu();
    void CreateToolBar();
    void LayOut();
    void ShowControlsForView();
    void SetDateLabelToShownDate();

    // Command groups.
    void ClosePopups();
    void OnNavigation(int id);
    void OnDateLabel();
    void OnWeekday(int k);
    void OpenSelected();
    void OpenEditDialog(int mode);
    void OnEditWithSelection(int mode);
    void FxEditDelete();
    void OnFind(bool clear);
    void ToggleMultiDay();
    void ToggleToolBar();
    bool OnArrowKey(int key);
    // The arrow and Enter keys of every view, wherever the focus is in the window.
    bool OnViewKey(QObject* target, QKeyEvent* key);
    // Asks whether to delete the actions (one or several) and deletes them on Yes.
    void AskAndDelete(const std::vector<std::u16string>& ids);
    // The map plot and the list beside or below it; the list's rectangle is narrowed.
    void LayOutMap(QRect& listRect);
    // The current view's part of the layout.
    void LayOutView();

    // The day view (views/DayView.cpp).
    void SetDataDayView();
    void SetDataDayViewForSingle();
    void SetDataDayViewForMulti();
    void FillDayViewRows();
    void ApplyDayViewColumnWidths();
    void FitColumnToTexts(int column);
    // Widens the column, when needed, so that the row's text shows whole in it.
    void WidenColumnToItem(int row, int column);
    void SaveDayViewColumnWidths();
    void SetListFont(const std::u16string& name, int size);
    void SelectListRow(int row);
    bool IsPortrait() const;
    // The rows selected in the list control, the "<新規作成>" row left out.
    std::vector<int> SelectedActionRows() const;
    // The identifier and ActionIndex position of a list row of the current view.
    bool ActionOfRow(int row, std::u16string& id, long long& position) const;
    void ClearViewList();

    CMainApp& app_;
    QLabel* dateLabel_ = nullptr;
    std::array<CWeekdayButton*, 7> weekday_{};
    std::array<QPushButton*, 5> nav_{}; // 1062 《, 1061 <, 1058 ・, 1059 >, 1060 》
    QTreeWidget* list_ = nullptr;
    QRect mapPlotRect_; // the map view's plot, laid out with the list
    QListWidget* monthList_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QLabel* calendarHeading_ = nullptr;
    QComboBox* pageSelector_ = nullptr;
    std::array<QLabel*, 7> monthHeaders_{};
    QLabel* corner_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QAction* toolBarCheck_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softNew_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QMenu* menu_ = nullptr;
    QPushButton* okButton_ = nullptr;

    QFont smallFont_;
    QFont largeFont_;
    std::u16string listFontName_;
    int listFontSize_ = 0;

    int popupState_ = 0;
    bool tapAndHold_ = false;
    DayViewData dayData_;
    int selectedWeekEntry_ = -1000;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    std::unique_ptr<CWeekView> weekView_;
    std::unique_ptr<CMonthView> monthView_;
    std::unique_ptr<CListView> listView_;
    std::unique_ptr<CMapView> mapView_;
    TapAndHold hold_;
    bool forwardingKey_ = false;
};
