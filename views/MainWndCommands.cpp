// CMainWnd::OnCommand: the dispatch of every command, the navigation table of the
// five views, popups, opening and deleting the selected actions.
#include "views/MainWnd.h"

#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/QtPlatform.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "views/CommandIds.h"
#include "views/ListView.h"
#include "views/MapView.h"
#include "views/MonthView.h"
#include "views/Navigation.h"
#include "views/ViewHooks.h"
#include "views/WeekView.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>

MainWndHooks& ViewHooks() {
    static MainWndHooks hooks;
    return hooks;
}

void CMainWnd::OnCommand(int id) {
    int wasOpen = popupState_;
    ClosePopups();
    tapAndHold_ = false;
    switch (id) {
    case Cmd::ViewDay:
    case Cmd::ViewWeek:
    case Cmd::ViewMonth:
    case Cmd::ViewList:
    case Cmd::ViewMap:
        SelectView(id - Cmd::ViewDay + 1);
        break;
    case Cmd::ViewToday:
        // Also in the list view, where "・" only turns to today's page.
        app_.SetShownDateToday();
        OnNavigation(Cmd::Today);
        break;
    case Cmd::ViewMultiDay:
        ToggleMultiDay();
        break;
    case Cmd::ViewToolBar:
        ToggleToolBar();
        break;
    case Cmd::PrevWeek:
    case Cmd::PrevDay:
    case Cmd::Today:
    case Cmd::NextDay:
    case Cmd::NextWeek:
        OnNavigation(id);
        break;
    case Cmd::DateLabel:
        // A tap on the label while its popup is open only closes it.
        if (wasOpen == Popup::None) OnDateLabel();
        break;
    case Cmd::SoftKeyNew:
    case Cmd::EditNew:
        selectedWeekEntry_ = -1000;
        OpenEditDialog(EditDlgMode::New);
        break;
    case Cmd::EditChange:
        OnEditWithSelection(EditDlgMode::Change);
        break;
    case Cmd::EditCopy:
        OnEditWithSelection(EditDlgMode::Copy);
        break;
    case Cmd::EditFollow:
        OnEditWithSelection(EditDlgMode::Follow);
        break;
    case Cmd::EditDelete:
        FxEditDelete();
        break;
    case Cmd::EditWebMap:
        if (ViewHooks().openWebMap) ViewHooks().openWebMap(*this);
        break;
    case Cmd::EditMoveMap:
        if (ViewHooks().moveMap && app_.currentView == 5) ViewHooks().moveMap(*this);
        break;
    case Cmd::SoftKeyMenu:
        menu_->popup(mapToGlobal(
            QPoint(width() - menu_->sizeHint().width(), height() - MenuBarHeight() - menu_->sizeHint().height())));
        break;
    case Cmd::FileExport:
    case Cmd::FileImport:
        if (ViewHooks().runExchange) {
            ViewHooks().runExchange(*this, id == Cmd::FileImport);
            RefillView();
        }
        break;
    case Cmd::ToolRecorder:
        if (ViewHooks().runRecorder) {
            ViewHooks().runRecorder(*this);
            RefillView();
        }
        break;
    case Cmd::ToolFind:
        OnFind(false);
        break;
    case Cmd::ToolClearFind:
        OnFind(true);
        break;
    case Cmd::ToolOption:
        if (ViewHooks().runOptions) {
            ViewHooks().runOptions(*this);
            RefillView();
        }
        break;
    case Cmd::ToolAbout:
        ShowAboutBox();
        break;
    case Cmd::Exit:
    case Cmd::Ok:
        close();
        break;
    default:
        if (id >= Cmd::WeekdaySun && id <= Cmd::WeekdaySat) OnWeekday(id - Cmd::WeekdaySun + 1);
        break;
    }
}

void CMainWnd::ClosePopups() {
    if (popupState_ == Popup::PageSelector) {
        pageSelector_->hidePopup();
        pageSelector_->hide();
        dateLabel_->show();
    } else if (popupState_ == Popup::Calendar) {
        calendar_->hide();
    }
    popupState_ = Popup::None;
}

void CMainWnd::SelectView(int view) {
    if (app_.currentView == 1 && view != 1) SaveDayViewColumnWidths();
    if (app_.currentView == 5 && view != 5) mapView_->SaveColumnWidths();
    app_.currentView = view;
    ShowControlsForView();
    if (view == 4) {
        listView_->PrepareList();
        app_.listPage = ListPageOfDate(app_.actionIndex, app_.shownDate, ListPageSize());
    }
    RefillView();
    update();
}

void CMainWnd::RefillView() {
    switch (app_.currentView) {
    case 1:
        SetDataDayView();
        break;
    case 2:
        ClearViewList();
        weekView_->Fill();
        break;
    case 3:
        ClearViewList();
        monthView_->Fill();
        break;
    case 4:
        ClearViewList();
        listView_->Fill();
        break;
    default:
        ClearViewList();
        mapView_->Fill();
        break;
    }
    list_->setFocus();
}

void CMainWnd::ClearViewList() {
    list_->clear();
    list_->setColumnCount(0);
    monthList_->clear();
    dayData_ = DayViewData{};
}

int CMainWnd::ListPageSize() const {
    if (app_.settings.SeqViewRng > 0) return app_.settings.SeqViewRng;
    int row = QFontMetrics(list_->font()).height() + 4;
    int header = !list_->header()->isHidden() ? list_->header()->sizeHint().height() : 0;
    return std::max(1, (list_->height() - header) / row);
}

void CMainWnd::OnNavigation(int id) {
    ShownDate& d = app_.shownDate;
    int view = app_.currentView;
    if (view == 4) {
        int last = LastListPage(app_.actionIndex.count(), ListPageSize());
        int& page = app_.listPage;
        switch (id) {
        case Cmd::PrevDay:
            if (page > 0) --page;
            break;
        case Cmd::NextDay:
            if (page < last) ++page;
            break;
        case Cmd::PrevWeek:
            page = 0;
            break;
        case Cmd::NextWeek:
            page = last;
            break;
        default: {
            LocalDateTime now = LocalNow();
            ShownDate today{now.year, now.month, now.day};
            page = ListPageOfDate(app_.actionIndex, today, ListPageSize());
        }
        }
    } else if (id == Cmd::Today) {
        app_.SetShownDateToday();
    } else if (view == 3) {
        if (id == Cmd::PrevDay) PreviousMonth(d);
        if (id == Cmd::NextDay) NextMonth(d);
        if (id == Cmd::PrevWeek) PreviousYear(d);
        if (id == Cmd::NextWeek) NextYear(d);
    } else {
        int days = id == Cmd::PrevDay ? -1 : id == Cmd::NextDay ? 1 : id == Cmd::PrevWeek ? -7 : 7;
        AddDays(d, days);
    }
    RefillView();
    update();
}

void CMainWnd::OnWeekday(int k) {
    MoveToWeekday(app_.shownDate, k);
    RefillView();
    update();
}

bool CMainWnd::OnArrowKey(int key) {
    int view = app_.currentView;
    ShownDate& d = app_.shownDate;
    bool left = key == Qt::Key_Left, right = key == Qt::Key_Right;
    bool up = key == Qt::Key_Up, down = key == Qt::Key_Down;
    ClosePopups();
    if (view == 4) {
        if (left || right) OnNavigation(left ? Cmd::PrevDay : Cmd::NextDay);
        return left || right;
    }
    int days = 0;
    if (view == 1 || view == 5) days = left ? -1 : right ? 1 : 0;
    if (view == 2) days = left ? -7 : right ? 7 : up ? -1 : down ? 1 : 0;
    if (view == 3) days = left ? -1 : right ? 1 : up ? -7 : down ? 7 : 0;
    if (days == 0) return false;
    AddDays(d, days);
    RefillView();
    update();
    return true;
}

void CMainWnd::OnDateLabel() {
    if (app_.currentView == 4) {
        pageSelector_->clear();
        long long n = app_.actionIndex.count();
        if (n > 0) {
            int pages = LastListPage(n, ListPageSize()) + 1;
            for (int i = 1; i <= pages; ++i)
                pageSelector_->addItem(QString::number(i));
            pageSelector_->setCurrentIndex(app_.listPage);
        }
        dateLabel_->hide();
        pageSelector_->show();
        pageSelector_->raise();
        pageSelector_->showPopup();
        popupState_ = Popup::PageSelector;
        return;
    }
    const ShownDate& d = app_.shownDate;
    calendar_->setSelectedDate(QDate(d.year, d.month, d.day));
    calendar_->show();
    calendar_->raise();
    calendar_->setFocus();
    popupState_ = Popup::Calendar;
}

void CMainWnd::ToggleMultiDay() {
    int& mode = app_.settings.DayVwMltDayMode;
    mode = mode == 2 ? 1 : 2;
    RefillView();
}

void CMainWnd::ToggleToolBar() {
    int& mode = app_.settings.ToolBarVwMode;
    mode = mode == 2 ? 1 : 2;
    toolBar_->setVisible(mode == 2);
    toolBarCheck_->setChecked(mode == 2);
    LayOut();
}

bool CMainWnd::ActionOfRow(int row, std::u16string& id, long long& position) const {
    int view = app_.currentView;
    if (view == 1) {
        if (row < 0 || row >= static_cast<int>(dayData_.rows.size())) return false;
        id = dayData_.rows[static_cast<size_t>(row)].id;
        position = app_.settings.DayVwMltDayMode == 2 ? app_.actionIndex.FindId(id) : dayData_.first + row;
        return position >= 0;
    }
    if (view == 4) return listView_->ActionOfRow(row, id, position);
    if (view == 3) return monthView_->ActionOfLine(row, id, position);
    if (view == 5) return mapView_->ActionOfRow(row, id, position);
    return false;
}

std::vector<int> CMainWnd::SelectedActionRows() const {
    std::vector<int> rows;
    int last = list_->topLevelItemCount() - 1; // the "<新規作成>" row
    for (int row = 0; row < last; ++row)
        if (list_->topLevelItem(row)->isSelected()) rows.push_back(row);
    return rows;
}

void CMainWnd::OpenEditDialog(int mode) {
    if (mode == EditDlgMode::New) app_.selectedPosition = app_.actionIndex.count();
    // A new action from the map view starts at the held point (set by the hold menu)
    // or else at the selected row's position.
    if (mode == EditDlgMode::New && app_.currentView == 5 && !app_.newActionPosition)
        app_.newActionPosition = mapView_->SelectedRowPosition();
    if (mode != EditDlgMode::New) app_.newActionPosition.reset();
    if (!ViewHooks().runEditDialog) {
        app_.newActionPosition.reset();
        return;
    }
    ViewHooks().runEditDialog(*this, mode);
    app_.newActionPosition.reset();
    RefillView();
    update();
}

void CMainWnd::OpenSelected() {
    int view = app_.currentView;
    if (view != 1 && view != 4 && view != 5) return;
    QTreeWidgetItem* current = list_->currentItem();
    int row = current ? list_->indexOfTopLevelItem(current) : -1;
    std::u16string id;
    long long position = 0;
    if (!ActionOfRow(row, id, position)) {
        OpenEditDialog(EditDlgMode::New);
        return;
    }
    app_.selectedPosition = position;
    app_.selectedActionId = id;
    OpenEditDialog(EditDlgMode::Change);
}

void CMainWnd::OnEditWithSelection(int mode) {
    int view = app_.currentView;
    if (view == 2) {
        ShowMessage(HandleOf(this), u"画面上のアクションをタップ&ホールドして操作してください。", u"変更不可",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::u16string id;
    long long position = 0;
    bool found = false;
    if (view == 3) {
        std::vector<int> lines = monthView_->SelectedLines();
        found = !lines.empty() && ActionOfRow(lines[0], id, position);
    } else {
        std::vector<int> rows = SelectedActionRows();
        QTreeWidgetItem* current = list_->currentItem();
        int row =
            current && current->isSelected() ? list_->indexOfTopLevelItem(current) : (rows.empty() ? -1 : rows[0]);
        found = ActionOfRow(row, id, position);
        // "変更..." on the "<新規作成>" row creates, as Enter there does.
        if (!found && mode == EditDlgMode::Change && row >= 0 && row == list_->topLevelItemCount() - 1) {
            selectedWeekEntry_ = -1000;
            OpenEditDialog(EditDlgMode::New);
            return;
        }
    }
    if (!found) {
        ShowMessage(HandleOf(this), u"有効なアクションが選択されていません。", u"変更不可", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    app_.selectedPosition = position;
    app_.selectedActionId = id;
    OpenEditDialog(mode);
}

void CMainWnd::FxEditDelete() {
    int view = app_.currentView;
    if (view == 2) {
        ShowMessage(HandleOf(this), u"画面上のアクションをタップ&ホールドして操作してください。", u"削除不可",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::vector<std::u16string> ids;
    for (int row : view == 3 ? monthView_->SelectedLines() : SelectedActionRows()) {
        std::u16string id;
        long long position = 0;
        if (ActionOfRow(row, id, position)) ids.push_back(id);
    }
    if (ids.empty()) {
        ShowMessage(HandleOf(this), u"有効なアクションが選択されていません。", u"削除不可", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AskAndDelete(ids);
}

void CMainWnd::AskAndDelete(const std::vector<std::u16string>& ids) {
    std::u16string question = ids.size() == 1 ? std::u16string(u"このアクションを削除しますか？")
                                              : FormatText("これらの %zu 個のアクションを削除しますか？", ids.size());
    if (ShowMessage(HandleOf(this), question, u"アクションの削除の確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDYES)
        return;
    DataFileTables* tables = OpenTables();
    for (auto it = ids.rbegin(); tables && it != ids.rend(); ++it) {
        HRESULT hr = tables->userData->DeleteAction(*it);
        if (FAILED(hr)) {
            Trace("CMainWnd::FxEditDelete DeleteAction Err (hr=%x)", static_cast<unsigned>(hr));
            ShowMessage(HandleOf(this), TraceBuffer(), u"ERROR", MB_OK);
            break;
        }
        for (long long p = app_.actionIndex.FindId(*it); p >= 0; p = app_.actionIndex.FindId(*it, p))
            app_.actionIndex.RemoveAt(p);
    }
    RefillView();
    update();
}

void CMainWnd::OnFind(bool clear) {
    if (clear) {
        app_.searchCondition.clear();
        if (DataFileTables* tables = OpenTables())
            RebuildActionIndexOrTell(*tables->userData, app_.actionIndex, {}, HandleOf(this));
    } else {
        if (!ViewHooks().runFind) return;
        ViewHooks().runFind(*this);
    }
    app_.listPage = 0;
    if (!clear && app_.settings.DispListAfterFind == 1 && app_.currentView != 4) {
        SelectView(4);
        return;
    }
    RefillView();
    update();
}
