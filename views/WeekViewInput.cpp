// The week view's input: a tap on a bar opens its action; a hold on a bar selects it
// and pops up menu 106, a hold on the background menu 105.
#include "core/QtPlatform.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/Navigation.h"
#include "views/WeekView.h"

#include <QMenu>

namespace {

enum BarCommand { New, Change, Copy, Follow, Delete, DayView };

} // namespace

void CWeekView::CreateMenus() {
    barMenu_ = new QMenu(&window_);
    barMenu_->setObjectName(QStringLiteral("menu106"));
    const std::pair<const char16_t*, int> barItems[] = {
        {u"新規作成...", New}, {u"変更...", Change}, {u"参照...", Copy}, {u"後続...", Follow}, {u"削除", Delete}};
    for (auto [text, command] : barItems) {
        int c = command;
        QObject::connect(barMenu_->addAction(QString::fromUtf16(text)), &QAction::triggered, barMenu_,
                         [this, c] { OnBarMenu(c); });
    }
    backgroundMenu_ = new QMenu(&window_);
    backgroundMenu_->setObjectName(QStringLiteral("menu105"));
    QObject::connect(backgroundMenu_->addAction(QString::fromUtf16(u"新規作成...")), &QAction::triggered,
                     backgroundMenu_, [this] { OnBarMenu(New); });
    QObject::connect(backgroundMenu_->addAction(QString::fromUtf16(u"1日表示")), &QAction::triggered, backgroundMenu_,
                     [this] { OnBarMenu(DayView); });
}

void CWeekView::TapBar(CWeekBar* bar) {
    if (bar->entry < 0 || bar->entry >= static_cast<int>(data_.entries.size())) return;
    window_.ClosePopups();
    const WeekEntry& entry = data_.entries[static_cast<size_t>(bar->entry)];
    window_.app_.selectedPosition = entry.position;
    window_.app_.selectedActionId = entry.id;
    window_.OpenEditDialog(EditDlgMode::Change);
}

void CWeekView::HoldBar(CWeekBar* bar, QPoint at) {
    if (bar->entry < 0 || bar->entry >= static_cast<int>(data_.entries.size())) return;
    window_.ClosePopups();
    window_.tapAndHold_ = true;
    window_.selectedWeekEntry_ = bar->entry;
    int y, m, d;
    if (data_.entries[static_cast<size_t>(bar->entry)].start.ToDate(y, m, d)) window_.app_.shownDate = {y, m, d};
    barMenu_->popup(bar->mapToGlobal(at));
}

void CWeekView::HoldBackground(QPoint at) {
    Geometry g = Area();
    heldRow_ = g.rowHeight > 0 && at.y() >= g.top ? (at.y() - g.top) / g.rowHeight : -1;
    if (heldRow_ > 6) heldRow_ = -1;
    window_.selectedWeekEntry_ = -1000;
    backgroundMenu_->popup(window_.mapToGlobal(at));
}

void CWeekView::OnBarMenu(int command) {
    window_.ClosePopups();
    window_.tapAndHold_ = false;
    CMainApp& app = window_.app_;
    if (command == New) {
        window_.selectedWeekEntry_ = -1000;
        window_.OpenEditDialog(EditDlgMode::New);
        return;
    }
    if (command == DayView) {
        // "1日表示" shows the day of the row that was held.
        if (heldRow_ >= 0 && data_.weekStart.valid) {
            int y, m, d;
            if ((data_.weekStart + DateSpan::FromParts(heldRow_, 0, 0, 0)).ToDate(y, m, d)) app.shownDate = {y, m, d};
        }
        window_.SelectView(1);
        return;
    }
    int index = window_.selectedWeekEntry_;
    if (index < 0 || index >= static_cast<int>(data_.entries.size())) return;
    WeekEntry entry = data_.entries[static_cast<size_t>(index)];
    if (command == Delete) {
        window_.AskAndDelete({entry.id});
        return;
    }
    app.selectedPosition = entry.position;
    app.selectedActionId = entry.id;
    window_.OpenEditDialog(command == Change ? EditDlgMode::Change
                           : command == Copy ? EditDlgMode::Copy
                                             : EditDlgMode::Follow);
}
