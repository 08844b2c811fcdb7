// The month view's input: taps and holds on the grid (menu 104) and on the day list
// (a tap opens the line's action, a hold pops up the 編集 menu on that line alone).
#include "core/DateValue.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/MonthView.h"

#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

void CMonthView::CreateMenu() {
    cellMenu_ = new QMenu(&window_);
    cellMenu_->setObjectName(QStringLiteral("menu104"));
    QObject::connect(cellMenu_->addAction(QString::fromUtf16(u"新規作成...")), &QAction::triggered, cellMenu_, [this] {
        window_.ClosePopups();
        window_.tapAndHold_ = false;
        window_.OpenEditDialog(EditDlgMode::New);
    });
    QObject::connect(cellMenu_->addAction(QString::fromUtf16(u"開く")), &QAction::triggered, cellMenu_, [this] {
        window_.tapAndHold_ = false;
        SelectDay(heldCell_);
        window_.RefillView();
    });
    QObject::connect(cellMenu_->addAction(QString::fromUtf16(u"1日表示")), &QAction::triggered, cellMenu_, [this] {
        window_.tapAndHold_ = false;
        SelectDay(heldCell_);
        window_.SelectView(1);
    });
}

void CMonthView::SelectDay(int cell) {
    if (cell < 0 || cell > 41) return;
    const MonthCell& c = grid_.cells[static_cast<size_t>(cell)];
    if (c.year < 1900 || c.year > 9999) return;
    window_.app_.shownDate = {c.year, c.month, c.day};
}

void CMonthView::TapGrid(QPoint at) {
    int cell = CellAt(at);
    if (cell < 0) return;
    window_.ClosePopups();
    SelectDay(cell);
    if (window_.app_.settings.MonViewTapOpeMode == 2) {
        window_.SelectView(1);
        return;
    }
    window_.RefillView();
    window_.update();
}

void CMonthView::HoldGrid(QPoint at) {
    heldCell_ = CellAt(at);
    if (heldCell_ < 0) return;
    window_.ClosePopups();
    cellMenu_->popup(window_.mapToGlobal(at));
}

bool CMonthView::ActionOfLine(int line, std::u16string& id, long long& position) const {
    if (line < 0 || line >= static_cast<int>(dayList_.ids.size())) return false;
    id = dayList_.ids[static_cast<size_t>(line)];
    position = dayList_.first + line;
    return true;
}

std::vector<int> CMonthView::SelectedLines() const {
    std::vector<int> lines;
    QListWidget* list = window_.monthList_;
    int last = list->count() - 1; // "<新規作成>"
    for (int line = 0; line < last; ++line)
        if (list->item(line)->isSelected()) lines.push_back(line);
    return lines;
}

void CMonthView::TapLine(int line) {
    window_.ClosePopups();
    std::u16string id;
    long long position = 0;
    if (!ActionOfLine(line, id, position)) {
        window_.OpenEditDialog(EditDlgMode::New);
        return;
    }
    window_.app_.selectedPosition = position;
    window_.app_.selectedActionId = id;
    window_.OpenEditDialog(EditDlgMode::Change);
}

void CMonthView::HoldLine(int line, QPoint at) {
    QListWidget* list = window_.monthList_;
    window_.ClosePopups();
    window_.tapAndHold_ = true;
    list->clearSelection();
    if (line >= 0 && line < list->count()) list->item(line)->setSelected(true);
    for (QAction* action : window_.menu_->actions())
        if (action->menu() && action->text() == QString::fromUtf16(u"編集"))
            action->menu()->popup(list->viewport()->mapToGlobal(at));
}

bool CMonthView::eventFilter(QObject* watched, QEvent* event) {
    QListWidget* list = window_.monthList_;
    if (watched != list->viewport()) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        listHold_.Press(list->viewport(), mouse, [this, list](QPoint at) {
            QModelIndex index = list->indexAt(at);
            HoldLine(index.isValid() ? index.row() : list->count() - 1, at);
        });
        // A hold selects only the held line.
        return mouse->button() == Qt::RightButton;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (listHold_.Release(mouse)) {
            QModelIndex index = list->indexAt(mouse->position().toPoint());
            int line = index.isValid() ? index.row() : list->count();
            // Opened after Qt has finished with the click.
            QMetaObject::invokeMethod(
                this, [this, line] { TapLine(line); }, Qt::QueuedConnection);
        }
    }
    return false;
}
